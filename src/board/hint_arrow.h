#pragma once
// An arrow from one point of the board to another: the engine's suggested
// move, drawn over the pieces as a shaft and a two-stroke head.
#include "board/canvas.h"

struct CArrowGeometry {
  int ShaftX1 = 0, ShaftY1 = 0, ShaftX2 = 0, ShaftY2 = 0;  // tail to tip
  int LeftX = 0, LeftY = 0, RightX = 0, RightY = 0;        // the head's two stroke ends
  int PenWidth = 1;
};

// The arrow between two grid pixels for a cell size: the tail leaves the
// first piece's centre, the tip stops short of the second's so the head
// lies on its edge. from == to gives a zero-length shaft.
CArrowGeometry HintArrowGeometry(int fromX, int fromY, int toX, int toY, int cell);

constexpr CColor HINT_ARROW_COLOR {0, 150, 60};

void DrawHintArrow(CCanvas& canvas, const CArrowGeometry& arrow);
