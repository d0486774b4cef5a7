#include "app/training_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "ann/ann_trainer.h"

void CPlotRecorder::Start(unsigned startTick) {
  std::lock_guard<std::mutex> lock(Mutex);
  Pending.clear();
  Passes = 0;
  LastPatterns = 0;
  LastTick = startTick;
  LastRun.clear();
}

void CPlotRecorder::OnProgress(const CTrainProgress& progress, unsigned tick) {
  std::lock_guard<std::mutex> lock(Mutex);
  // The count is per run: a new run (or a new relearning round) starts at 0.
  if (progress.RunName != LastRun || progress.PositionsLearned < LastPatterns) {
    LastRun = progress.RunName;
    LastPatterns = 0;
  }
  if (!progress.PassEnded) return;
  CPlotPoint point;
  point.Pass = ++Passes;
  point.Patterns = progress.PositionsLearned - LastPatterns;
  point.Seconds = static_cast<double>(tick - LastTick) / 1000.0;
  LastPatterns = progress.PositionsLearned;
  LastTick = tick;
  Pending.push_back(point);
}

std::vector<CPlotPoint> CPlotRecorder::Take() {
  std::lock_guard<std::mutex> lock(Mutex);
  std::vector<CPlotPoint> points;
  points.swap(Pending);
  return points;
}

CTrainingPlot::CTrainingPlot(QWidget* parent) : QWidget(parent) {
  setMinimumSize(300, 200);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTrainingPlot::Clear() {
  Shown.clear();
  update();
}

void CTrainingPlot::Add(const std::vector<CPlotPoint>& points) {
  if (points.empty()) return;
  Shown.insert(Shown.end(), points.begin(), points.end());
  update();
}

namespace {
// A round upper bound for a scale: 1, 2 or 5 times a power of ten.
double NiceCeiling(double value) {
  if (value <= 0) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0})
    if (value <= step * power) return step * power;
  return 10 * power;
}

QString ScaleText(double value) {
  if (value >= 1e6) return QString::number(value / 1e6, 'g', 3) + QStringLiteral("M");
  if (value >= 1e4) return QString::number(value / 1e3, 'g', 3) + QStringLiteral("k");
  if (value == std::floor(value)) return QString::number(static_cast<long long>(value));
  return QString::number(value, 'f', value < 1 ? 2 : 1);
}
}  // namespace

void CTrainingPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QColor patternColor(255, 0, 0);
  const QColor secondsColor(0, 128, 128);
  const QFontMetrics metrics(font());
  const int margin = metrics.horizontalAdvance(QStringLiteral("0000.0k")) + 8;
  const QRect area = rect().adjusted(margin, metrics.height() * 2, -margin, -metrics.height() * 2 - 4);
  if (area.width() < 20 || area.height() < 20) return;

  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 0, width(), metrics.height() + 4), Qt::AlignCenter,
                   QStringLiteral("训练过程"));
  painter.drawRect(area);

  int lastPass = 1;
  double maxPatterns = 1, maxSeconds = 1;
  for (const CPlotPoint& point : Shown) {
    lastPass = std::max(lastPass, point.Pass);
    maxPatterns = std::max(maxPatterns, static_cast<double>(point.Patterns));
    maxSeconds = std::max(maxSeconds, point.Seconds);
  }
  // Some room above the highest point, so no curve runs along the frame.
  maxPatterns = NiceCeiling(maxPatterns * 1.15);
  maxSeconds = NiceCeiling(maxSeconds * 1.15);
  const int firstPass = Shown.empty() ? 1 : Shown.front().Pass;
  const int span = std::max(1, lastPass - firstPass);

  const auto xOf = [&](int pass) {
    return area.left() + static_cast<double>(pass - firstPass) * area.width() / span;
  };
  const auto yOf = [&](double value, double max) { return area.bottom() - value * area.height() / max; };

  // Scales: four steps on each side, passes at both ends of the bottom.
  for (int i = 0; i <= 4; ++i) {
    const int y = area.bottom() - i * area.height() / 4;
    painter.setPen(QColor(224, 224, 224));
    if (i > 0 && i < 4) painter.drawLine(area.left() + 1, y, area.right() - 1, y);
    painter.setPen(patternColor);
    painter.drawText(QRect(0, y - metrics.height() / 2, margin - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, ScaleText(maxPatterns * i / 4));
    painter.setPen(secondsColor);
    painter.drawText(QRect(area.right() + 4, y - metrics.height() / 2, margin - 4, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, ScaleText(maxSeconds * i / 4));
  }
  painter.setPen(Qt::black);
  const int textTop = area.bottom() + 2;
  painter.drawText(QRect(area.left() - 20, textTop, 40, metrics.height()), Qt::AlignCenter,
                   QString::number(firstPass));
  painter.drawText(QRect(area.right() - 20, textTop, 40, metrics.height()), Qt::AlignCenter,
                   QString::number(std::max(lastPass, firstPass + 1)));
  painter.drawText(QRect(area.left(), textTop, area.width(), metrics.height()), Qt::AlignCenter,
                   QStringLiteral("训练遍数"));
  const int legendTop = textTop + metrics.height() + 2;
  painter.setPen(patternColor);
  painter.drawText(QRect(0, legendTop, width() / 2, metrics.height()), Qt::AlignCenter,
                   QStringLiteral("■ 学习局面数"));
  painter.setPen(secondsColor);
  painter.drawText(QRect(width() / 2, legendTop, width() / 2, metrics.height()), Qt::AlignCenter,
                   QStringLiteral("■ 每遍秒数"));

  if (Shown.empty()) return;
  for (int series = 0; series < 2; ++series) {
    QPainterPath path;
    for (size_t i = 0; i < Shown.size(); ++i) {
      const CPlotPoint& point = Shown[i];
      const double y = series == 0 ? yOf(static_cast<double>(point.Patterns), maxPatterns)
                                   : yOf(point.Seconds, maxSeconds);
      const QPointF at(xOf(point.Pass), y);
      if (i == 0) path.moveTo(at);
      else path.lineTo(at);
    }
    const QColor color = series == 0 ? patternColor : secondsColor;
    painter.setPen(QPen(color, 2));
    painter.drawPath(path);
    painter.setBrush(color);
    for (const CPlotPoint& point : Shown) {
      const double y = series == 0 ? yOf(static_cast<double>(point.Patterns), maxPatterns)
                                   : yOf(point.Seconds, maxSeconds);
      painter.drawEllipse(QPointF(xOf(point.Pass), y), 3, 3);
    }
    painter.setBrush(Qt::NoBrush);
  }
}
