#include "app/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include "app/command_ids.h"

namespace {
const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 240);
const QColor kRed(200, 30, 30);
const QColor kCyan(0, 128, 128);
const QColor kWood(214, 170, 100);

void Page(QPainter& p) {
  p.setPen(kInk);
  p.setBrush(kPaper);
  p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
  p.drawLine(10, 1, 10, 4);
  p.drawLine(10, 4, 13, 4);
}

void Arrow(QPainter& p, bool left) {
  QPainterPath path;
  if (left) {
    path.moveTo(2, 7);
    path.lineTo(7, 2);
    path.lineTo(7, 5);
    path.cubicTo(11, 5, 14, 8, 13, 13);
    path.cubicTo(12, 10, 10, 9, 7, 9);
    path.lineTo(7, 12);
  } else {
    path.moveTo(14, 7);
    path.lineTo(9, 2);
    path.lineTo(9, 5);
    path.cubicTo(5, 5, 2, 8, 3, 13);
    path.cubicTo(4, 10, 6, 9, 9, 9);
    path.lineTo(9, 12);
  }
  path.closeSubpath();
  p.setPen(QPen(QColor(20, 70, 140), 1));
  p.setBrush(QColor(70, 130, 210));
  p.drawPath(path);
}

void DrawIcon(QPainter& p, int id) {
  switch (id) {
    case Cmd::FileNew:
      Page(p);
      break;
    case Cmd::FileOpen:
      p.setPen(kInk);
      p.setBrush(QColor(240, 200, 80));
      p.drawPolygon(QPolygon({QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
      p.setBrush(QColor(250, 225, 130));
      p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
      break;
    case Cmd::FileSave:
      p.setPen(kInk);
      p.setBrush(QColor(60, 80, 160));
      p.drawRect(1, 1, 13, 13);
      p.setBrush(kPaper);
      p.drawRect(4, 1, 7, 5);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(4, 9, 7, 5);
      break;
    case Cmd::ClearBoard:
      p.setPen(kInk);
      p.setBrush(kWood);
      p.drawRect(1, 1, 13, 13);
      for (int i = 4; i < 14; i += 3) {
        p.drawLine(1, i, 14, i);
        p.drawLine(i, 1, i, 14);
      }
      p.setPen(QPen(kRed, 2));
      p.drawLine(3, 3, 12, 12);
      p.drawLine(12, 3, 3, 12);
      break;
    case Cmd::EditMode:
      p.setPen(kInk);
      p.setBrush(kWood);
      p.drawRect(1, 5, 10, 9);
      p.setBrush(QColor(240, 200, 80));
      p.drawPolygon(QPolygon({QPoint(6, 11), QPoint(13, 2), QPoint(15, 4), QPoint(8, 13), QPoint(5, 14)}));
      break;
    case Cmd::Undo:
      Arrow(p, true);
      break;
    case Cmd::Redo:
      Arrow(p, false);
      break;
    case Cmd::EngineMove:
      p.setPen(kInk);
      p.setBrush(QColor(180, 200, 220));
      p.drawRect(1, 2, 13, 9);
      p.setBrush(QColor(30, 60, 90));
      p.drawRect(3, 4, 9, 5);
      p.setBrush(kInk);
      p.drawRect(5, 12, 5, 2);
      break;
    case Cmd::Resign:
      p.setPen(QPen(kInk, 2));
      p.drawLine(3, 1, 3, 15);
      p.setPen(kInk);
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(14, 3), QPoint(11, 6), QPoint(14, 9), QPoint(4, 9)}));
      break;
    case Cmd::Options:
      p.setPen(QPen(kInk, 1));
      for (int y : {3, 8, 13}) p.drawLine(1, y, 14, y);
      p.setBrush(kCyan);
      p.drawRect(9, 1, 3, 4);
      p.drawRect(3, 6, 3, 4);
      p.drawRect(7, 11, 3, 4);
      break;
    case Cmd::About:
      p.setPen(QPen(QColor(20, 70, 140), 1));
      p.setBrush(QColor(70, 130, 210));
      p.drawEllipse(1, 1, 13, 13);
      p.setPen(Qt::white);
      p.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
      p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
      break;
    default:
      break;
  }
}
}  // namespace

QIcon ToolbarIcon(int commandId) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawIcon(painter, commandId);
  painter.end();
  return QIcon(pixmap);
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kRed.darker(), size / 16.0));
    painter.setBrush(kRed);
    painter.drawEllipse(QRectF(size * 0.06, size * 0.06, size * 0.88, size * 0.88));
    painter.setPen(QPen(Qt::white, size / 16.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(size * 0.18, size * 0.18, size * 0.64, size * 0.64));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}
