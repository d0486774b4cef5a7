#include "app/score_curve.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

CScoreCurve::CScoreCurve(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(60);
  setToolTip(QStringLiteral("局势曲线: 红方视角的评分, 点击跳到该步"));
}

void CScoreCurve::SetScores(std::vector<int> redCentipawns) {
  Values = std::move(redCentipawns);
  if (CurrentPosition >= static_cast<int>(Values.size())) CurrentPosition = -1;
  update();
}

void CScoreCurve::SetCurrent(int position) {
  if (position == CurrentPosition) return;
  CurrentPosition = position;
  update();
}

QPoint CScoreCurve::PointOf(int position) const {
  const int count = static_cast<int>(Values.size());
  const int usableWidth = std::max(1, width() - 2 * MARGIN);
  const int x = count <= 1 ? MARGIN : MARGIN + static_cast<int>(std::lround(static_cast<double>(position) * usableWidth / (count - 1)));
  const int half = std::max(1, height() / 2 - MARGIN);
  const int value = position >= 0 && position < count ? std::clamp(Values[position], -CLAMP_CENTIPAWNS, CLAMP_CENTIPAWNS) : 0;
  const int y = height() / 2 - static_cast<int>(std::lround(static_cast<double>(value) * half / CLAMP_CENTIPAWNS));
  return {x, y};
}

int CScoreCurve::PositionAt(int x) const {
  const int count = static_cast<int>(Values.size());
  if (count == 0) return -1;
  if (count == 1) return 0;
  const double step = static_cast<double>(std::max(1, width() - 2 * MARGIN)) / (count - 1);
  return std::clamp(static_cast<int>(std::lround((x - MARGIN) / step)), 0, count - 1);
}

void CScoreCurve::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
  painter.drawLine(0, height() / 2, width(), height() / 2);
  if (Values.empty()) {
    painter.setPen(Qt::darkGray);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("复盘后显示局势曲线"));
    return;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  // Red's side of the axis tinted red, black's grey.
  QPainterPath area;
  area.moveTo(PointOf(0).x(), height() / 2);
  for (int i = 0; i < static_cast<int>(Values.size()); ++i) area.lineTo(PointOf(i));
  area.lineTo(PointOf(static_cast<int>(Values.size()) - 1).x(), height() / 2);
  area.closeSubpath();
  painter.save();
  painter.setClipRect(0, 0, width(), height() / 2);
  painter.fillPath(area, QColor(230, 120, 120, 140));
  painter.setClipRect(0, height() / 2, width(), height() - height() / 2);
  painter.fillPath(area, QColor(90, 90, 90, 120));
  painter.restore();
  painter.setPen(QPen(QColor(40, 40, 40), 1.5));
  for (int i = 1; i < static_cast<int>(Values.size()); ++i) painter.drawLine(PointOf(i - 1), PointOf(i));
  if (CurrentPosition >= 0 && CurrentPosition < static_cast<int>(Values.size())) {
    const QPoint at = PointOf(CurrentPosition);
    painter.setPen(QPen(QColor(0, 120, 215), 1));
    painter.drawLine(at.x(), 0, at.x(), height());
    painter.setBrush(QColor(0, 120, 215));
    painter.drawEllipse(at, 3, 3);
  }
}

void CScoreCurve::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int position = PositionAt(static_cast<int>(event->position().x()));
  if (position >= 0) emit PositionClicked(position);
}
