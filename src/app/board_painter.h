#pragma once
// Lays the window out as a grid of square cells and draws the board, the
// labels, the players' names, the status line, the captured-piece panel and
// the pieces through a canvas. Toolkit-free: the desktop view supplies a
// canvas over QPainter, tests a recording one. It also keeps the mouse selection.
#include <cstdint>
#include <string>

struct CPoint {
  int32_t X = 0;
  int32_t Y = 0;
};

class CBoardPainter {
 public:
  CBoardPainter() { ResetPainter(); }

  int32_t Mode = 0;  // 0 red at the bottom, 1 black at the bottom, 2 two boards
  int32_t Cell = 0;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t PieceRadius = 0, PieceFontHeight = 0, LabelFontHeight = 0;
  int32_t Selected = 0;  // identity of the selected piece, 0 for none
  CPoint DragPoint;
  std::string Texture;   // relative to the executable's directory

  static constexpr const char* DEFAULT_TEXTURE = "image/oak_bed2_2.bmp";

  void ResetPainter() {
    Mode = Cell = Left = Top = Right = Bottom = 0;
    PieceRadius = PieceFontHeight = LabelFontHeight = 0;
    Selected = 0;
    DragPoint = CPoint {};
    Texture = DEFAULT_TEXTURE;
  }
};
