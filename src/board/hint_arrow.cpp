#include "board/hint_arrow.h"

#include <algorithm>
#include <cmath>

CArrowGeometry HintArrowGeometry(int fromX, int fromY, int toX, int toY, int cell) {
  CArrowGeometry arrow;
  arrow.PenWidth = std::max(2, cell / 8);
  const double dx = toX - fromX;
  const double dy = toY - fromY;
  const double length = std::hypot(dx, dy);
  arrow.ShaftX1 = fromX;
  arrow.ShaftY1 = fromY;
  if (length < 1.0) {
    arrow.ShaftX2 = arrow.LeftX = arrow.RightX = toX;
    arrow.ShaftY2 = arrow.LeftY = arrow.RightY = toY;
    return arrow;
  }
  const double ux = dx / length, uy = dy / length;
  // The tip stops a quarter cell before the target's centre.
  const double back = std::min(length / 2, cell / 4.0);
  const double tipX = toX - ux * back, tipY = toY - uy * back;
  arrow.ShaftX2 = static_cast<int>(std::lround(tipX));
  arrow.ShaftY2 = static_cast<int>(std::lround(tipY));
  // Head strokes at 30 degrees either side of the shaft, a third of a cell long.
  const double head = cell / 3.0;
  const double c = std::cos(0.5236), s = std::sin(0.5236);
  const double bx = -ux, by = -uy;  // pointing back along the shaft
  arrow.LeftX = static_cast<int>(std::lround(tipX + head * (bx * c - by * s)));
  arrow.LeftY = static_cast<int>(std::lround(tipY + head * (bx * s + by * c)));
  arrow.RightX = static_cast<int>(std::lround(tipX + head * (bx * c + by * s)));
  arrow.RightY = static_cast<int>(std::lround(tipY + head * (-bx * s + by * c)));
  return arrow;
}

void DrawHintArrow(CCanvas& canvas, const CArrowGeometry& arrow) {
  canvas.DrawLine(arrow.ShaftX1, arrow.ShaftY1, arrow.ShaftX2, arrow.ShaftY2, HINT_ARROW_COLOR, arrow.PenWidth);
  canvas.DrawLine(arrow.ShaftX2, arrow.ShaftY2, arrow.LeftX, arrow.LeftY, HINT_ARROW_COLOR, arrow.PenWidth);
  canvas.DrawLine(arrow.ShaftX2, arrow.ShaftY2, arrow.RightX, arrow.RightY, HINT_ARROW_COLOR, arrow.PenWidth);
}
