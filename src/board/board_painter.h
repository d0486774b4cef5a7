#pragma once
// Lays the window out as a grid of square cells and draws the board, the
// labels, the players' names, the status line, the captured-piece panel and
// the pieces through a canvas. Toolkit-free: the desktop view supplies a
// canvas over QPainter, tests a recording one. It also keeps the mouse selection.
#include <cstdint>
#include <string>

#include "board/canvas.h"
#include "rules/move.h"

class CGame;
class CGameClock;

struct CPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const CPoint&, const CPoint&) = default;
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
  // The engine's suggested move, drawn as an arrow over the pieces (none: IsNone squares).
  CSquare HintFrom, HintTo;

  static constexpr const char* DEFAULT_TEXTURE = "image/oak_bed2_2.bmp";
  static constexpr const char* PIECE_FONT = "隶书";
  static constexpr const char* LABEL_FONT = "仿宋_GB2312";

  void ResetPainter() {
    Mode = Cell = Left = Top = Right = Bottom = 0;
    PieceRadius = PieceFontHeight = LabelFontHeight = 0;
    Selected = 0;
    DragPoint = CPoint {};
    Texture = DEFAULT_TEXTURE;
    ClearHint();
  }
  void ClearHint() { HintFrom = HintTo = CSquare {}; }
  bool HasHint() const { return !HintFrom.IsNone() && !HintTo.IsNone(); }
  // Pixel centre of a board square in the current layout (the left board with two).
  CPoint SquarePixel(CSquare square) const;

  // Mode and geometry for the game and the client rectangle.
  void Layout(const CGame& game, const CRect& client);
  // Layout, then the whole picture.
  void Paint(CCanvas& canvas, const CGame& game, const CRect& client);

  // Both clocks of a timed game, each at the end of its player's name line
  // (nothing when the game has no clock). Drawn over what is there, so the
  // window can refresh them alone once a second with the last layout.
  void DrawClocks(CCanvas& canvas, const CGameClock& clock) const;
  // Room the clocks take at the end of a name line (0 without a clock).
  int ClockWidth(CCanvas& canvas, const CGameClock& clock) const;

  // A left click: selects, moves or edits. 1 when the view should redraw and
  // consider a computer reply, 0 otherwise.
  int OnClick(CGame& game, CPoint point);
  // 1 (redraw) when a selected piece follows the mouse.
  int OnMouseMove(CPoint point);
  // 1 (redraw) when a selection was dropped.
  int OnRightClick();

  // Grid columns of the current mode (16, or 26 with two boards).
  int GridColumns() const { return Mode == 2 ? 26 : 16; }
  // The mailbox square of grid point (column, row), 0 when it has none.
  int GridSquare(int column, int row) const;
  // The grid point of an identity's captured-piece slot.
  CPoint SlotOf(int piece) const;
  // The identity whose slot is at the grid point, 0 when none.
  int SlotPiece(int column, int row) const;
  // Pixel position of a grid point.
  CPoint GridPixel(int column, int row) const { return {Left + column * Cell, Top + row * Cell}; }

  // Chinese name of a piece (UTF-8).
  static const char* PieceName(int piece);

 private:
  void DrawBoardLines(CCanvas& canvas, int firstColumn, int pen) const;
  void DrawPiece(CCanvas& canvas, int piece, CPoint at, int pen) const;
};

// How long a person thought over a move, as the board shows it: tenths of a
// second below ten seconds ("4.2秒"), then whole seconds ("47秒") and minutes
// ("2分05秒").
std::string ThinkingTimeText(int32_t ms);
