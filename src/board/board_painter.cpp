#include "board/board_painter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "common/exe_path.h"
#include "board/hint_arrow.h"
#include "common/text_encoding.h"
#include "game/game.h"
#include "rules/move_rules.h"
#include "rules/pieces.h"

namespace {

// Red names by kind, then black names by kind (kind 0 unused).
constexpr const char* kPieceNames[2][8] = {
    {"", "兵", "相", "仕", "馬", "砲", "車", "帅"},
    {"", "卒", "象", "士", "馬", "炮", "車", "将"},
};
constexpr const char* kRedFiles[10] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
constexpr const char* kBlackFiles[10] = {"", "１", "２", "３", "４", "５", "６", "７", "８", "９"};

bool IsIdle(const CGame& game) {
  return game.Engine.EngineIdle.load() == 1 && game.TrainingIdle.load() == 1 &&
         game.CheckingIdle.load() == 1;
}

}  // namespace

const char* CBoardPainter::PieceName(int piece) {
  if (piece < 1 || piece > 32) return "";
  return kPieceNames[PieceSide[piece]][PieceKind[piece]];
}

void CBoardPainter::Layout(const CGame& game, const CRect& client) {
  if (game.HumanVsHuman == 1) {
    Mode = 2;
  } else {
    Mode = game.HumanPlaysRed == 0 ? 1 : 0;
  }
  const int g = GridColumns();
  Cell = std::min(client.Height / 12, client.Width / g);
  Top = client.Top + (Cell >> 1) + ((client.Height - 12 * Cell) >> 1);
  Left = client.Left + (Cell >> 1) + ((client.Width - g * Cell) >> 1);
  Right = Left + (g - 1) * Cell;
  Bottom = Top + 11 * Cell;
  // The factors are single-precision constants; each product is truncated.
  PieceRadius = static_cast<int32_t>(Cell * static_cast<double>(0.46f));
  PieceFontHeight = static_cast<int32_t>(PieceRadius * static_cast<double>(1.96f));
  LabelFontHeight = static_cast<int32_t>(PieceFontHeight * static_cast<double>(0.44f));
}

int CBoardPainter::GridSquare(int column, int row) const {
  if (row < 1 || row > 10) return 0;
  if (column >= 1 && column <= 9) {
    if (Mode == 1) return SquareOf(13 - row, 12 - column);
    return SquareOf(row + 2, column + 2);
  }
  if (Mode == 2 && column >= 16 && column <= 24) return SquareOf(13 - row, 27 - column);
  return 0;
}

CPoint CBoardPainter::SlotOf(int piece) const {
  const int column = 11 + (piece - 1) % 4;
  const bool red = piece <= 16;
  const int group = red ? (piece - 1) / 4 : (piece - 17) / 4;  // 0..3
  // Each side's box is on its own half of the screen.
  const bool redAtBottom = Mode != 1;
  const bool bottomBox = red == redAtBottom;
  return {column, bottomBox ? 10 - group : 1 + group};
}

int CBoardPainter::SlotPiece(int column, int row) const {
  if (column < 11 || column > 14) return 0;
  int group;
  bool bottomBox;
  if (row >= 1 && row <= 4) {
    group = row - 1;
    bottomBox = false;
  } else if (row >= 7 && row <= 10) {
    group = 10 - row;
    bottomBox = true;
  } else {
    return 0;
  }
  const bool redAtBottom = Mode != 1;
  const bool red = bottomBox == redAtBottom;
  return (red ? 1 : 17) + group * 4 + (column - 11);
}

void CBoardPainter::DrawBoardLines(CCanvas& canvas, int first, int pen) const {
  const auto line = [&](int c1, int r1, int c2, int r2) {
    const CPoint a = GridPixel(first + c1, r1), b = GridPixel(first + c2, r2);
    canvas.DrawLine(a.X, a.Y, b.X, b.Y, Colors::Black, pen);
  };
  for (int r = 1; r <= 10; ++r) line(1, r, 9, r);
  line(1, 1, 1, 10);
  line(9, 1, 9, 10);
  for (int c = 2; c <= 8; ++c) {
    line(c, 1, c, 5);
    line(c, 6, c, 10);
  }
  line(4, 1, 6, 3);
  line(6, 1, 4, 3);
  line(4, 8, 6, 10);
  line(6, 8, 4, 10);
}

void CBoardPainter::DrawPiece(CCanvas& canvas, int piece, CPoint at, int pen) const {
  const CColor colour = piece <= 16 ? Colors::Red : Colors::DarkCyan;
  canvas.DrawEllipse(at.X - PieceRadius, at.Y - PieceRadius, at.X + PieceRadius, at.Y + PieceRadius,
                     colour, pen, colour);
  canvas.DrawText(at.X, at.Y + PieceFontHeight / 2, PieceName(piece), {PIECE_FONT, PieceFontHeight},
                  Colors::White, CHAlign::Center, CVAlign::Bottom);
}

void CBoardPainter::Paint(CCanvas& canvas, const CGame& game, const CRect& client) {
  Layout(game, client);
  const int w = Cell;
  const int pen = Right - Left > 640 ? 3 : 2;
  const CFontSpec pieceFont {PIECE_FONT, PieceFontHeight};
  const CFontSpec labelFont {LABEL_FONT, LabelFontHeight};

  // Background, then the board picture over the drawn area when it loads.
  canvas.DrawRectangle(client.Left, client.Top, client.Left + client.Width,
                       client.Top + client.Height, Colors::LightGrey, pen, Colors::LightGrey);
  // The pictures are program files, beside the program, not in the data folder.
  canvas.DrawImage(ExecutableFolder() + Texture, Left, Top, Right, Bottom);

  // Outline and the three panel boxes.
  canvas.DrawRectangle(Left, Top, Right, Bottom, Colors::Black, pen, std::nullopt);
  const auto panel = [&](int c1, int r1, int c2, int r2) {
    const CPoint a = GridPixel(c1, r1), b = GridPixel(c2, r2);
    canvas.DrawRectangle(a.X, a.Y, b.X, b.Y, Colors::Black, pen, std::nullopt);
  };
  panel(10, 0, 15, 5);
  panel(10, 5, 15, 6);
  panel(10, 6, 15, 11);

  DrawBoardLines(canvas, 0, pen);
  if (Mode == 2) DrawBoardLines(canvas, 15, pen);

  // Empty slots of the captured-piece boxes.
  for (int c = 11; c <= 14; ++c) {
    for (int r : {1, 2, 3, 4, 7, 8, 9, 10}) {
      const CPoint p = GridPixel(c, r);
      canvas.DrawEllipse(p.X - PieceRadius, p.Y - PieceRadius, p.X + PieceRadius, p.Y + PieceRadius,
                         Colors::LightGrey, pen, Colors::LightGrey);
    }
  }

  // The river.
  const int riverY = Top + 5 * w + w / 2;
  const auto river = [&](int column, const char* text) {
    canvas.DrawText(Left + column * w, riverY + PieceFontHeight / 2, text, pieceFont, Colors::Black,
                    CHAlign::Center, CVAlign::Bottom);
  };
  river(3, "楚 河");
  river(7, "汉 界");
  if (Mode == 2) {
    river(18, "楚 河");
    river(22, "汉 界");
  }

  // File labels, each side's files numbered from its own right.
  const int labelTop = Top + LabelFontHeight / 4;
  const int labelBottom = Top + 11 * w - LabelFontHeight / 4;
  for (int k = 1; k <= 9; ++k) {
    const int x = Left + k * w;
    const char* top = Mode == 1 ? kRedFiles[k] : kBlackFiles[k];
    const char* bottom = Mode == 1 ? kBlackFiles[10 - k] : kRedFiles[10 - k];
    canvas.DrawText(x, labelTop, top, labelFont, Colors::Black, CHAlign::Center, CVAlign::Top);
    canvas.DrawText(x, labelBottom, bottom, labelFont, Colors::Black, CHAlign::Center, CVAlign::Bottom);
    if (Mode == 2) {
      const int x2 = Left + (15 + k) * w;
      canvas.DrawText(x2, labelTop, kRedFiles[k], labelFont, Colors::Black, CHAlign::Center,
                      CVAlign::Top);
      canvas.DrawText(x2, labelBottom, kBlackFiles[10 - k], labelFont, Colors::Black,
                      CHAlign::Center, CVAlign::Bottom);
    }
  }

  // Depth and time of the last move, on the side of the player who made it.
  const CGameRecord& record = game.Engine.Record;
  std::string moveText;
  bool moveTextAtBottom = false;
  if (record.Length > 0 && record.Current >= 0) {
    const CRecordEntry& entry = record[record.Current];
    // A search's depth and time; a person's move (no depth) only its time.
    if (entry.Depth >= 0) {
      char text[64];
      std::snprintf(text, sizeof text, "%d层 %dms", entry.Depth + 1, entry.TimeMs);
      moveText = text;
    } else {
      moveText = ThinkingTimeText(entry.TimeMs);
    }
    const bool redMoved = entry.Move.Piece >= 1 && entry.Move.Piece <= 16;
    moveTextAtBottom = Mode == 1 ? !redMoved : redMoved;
  }
  const int clockWidth = ClockWidth(canvas, game.Clock);
  const int moveTextRight = Left + 15 * w - w / 4 - (clockWidth > 0 ? clockWidth + LabelFontHeight / 2 : 0);

  // Players' names: the side at the top of the (left) board first. A long
  // name is cut short with an ellipsis before it reaches the move's text.
  const int nameX = Left + 10 * w + w / 4;
  const auto drawName = [&](const std::string& gbName, bool atBottom) {
    int room = moveTextRight - nameX;
    if (!moveText.empty() && moveTextAtBottom == atBottom)
      room -= canvas.TextWidth(moveText, labelFont) + LabelFontHeight / 2;
    const std::string colon = ":";
    const std::string name =
        canvas.ElideText(Gb2312ToUtf8(gbName), labelFont, room - canvas.TextWidth(colon, labelFont));
    canvas.DrawText(nameX, atBottom ? labelBottom : labelTop, name + colon, labelFont, Colors::Black,
                    CHAlign::Left, atBottom ? CVAlign::Bottom : CVAlign::Top);
  };
  drawName(Mode == 1 ? game.Red : game.Black, false);
  drawName(Mode == 1 ? game.Black : game.Red, true);

  if (!moveText.empty()) {
    canvas.DrawText(moveTextRight, moveTextAtBottom ? labelBottom : labelTop, moveText, labelFont,
                    Colors::Black, CHAlign::Right,
                    moveTextAtBottom ? CVAlign::Bottom : CVAlign::Top);
  }

  DrawClocks(canvas, game.Clock);

  // Status line.
  const char* status;
  if (game.Result == "1-0") {
    status = "红先胜";
  } else if (game.Result == "1/2-1/2") {
    status = "红先和";
  } else if (game.Result == "0-1") {
    status = "红先负";
  } else {
    status = game.RedToMove ? "轮到 红方 走棋" : "轮到 黑方 走棋";
  }
  canvas.DrawText(Left + 12 * w + w / 2, riverY + LabelFontHeight / 2, status, labelFont,
                  Colors::Black, CHAlign::Center, CVAlign::Bottom);

  // Pieces, the selected one last so that it floats above the others.
  const CPosition& position = game.Engine.Position;
  const auto drawAt = [&](int piece) {
    if (piece == Selected) {
      DrawPiece(canvas, piece, DragPoint, pen);
      return;
    }
    const CSquare& square = position.PieceSquare[piece];
    if (square.IsNone()) {
      const CPoint slot = SlotOf(piece);
      DrawPiece(canvas, piece, GridPixel(slot.X, slot.Y), pen);
      return;
    }
    if (Mode == 1) {
      DrawPiece(canvas, piece, GridPixel(12 - square.Col, 13 - square.Row), pen);
      return;
    }
    DrawPiece(canvas, piece, GridPixel(square.Col - 2, square.Row - 2), pen);
    if (Mode == 2) DrawPiece(canvas, piece, GridPixel(27 - square.Col, 13 - square.Row), pen);
  };
  for (int piece = 1; piece <= 32; ++piece) {
    if (piece != Selected) drawAt(piece);
  }
  if (Selected >= 1 && Selected <= 32) drawAt(Selected);

  if (HasHint()) {
    const CPoint from = SquarePixel(HintFrom), to = SquarePixel(HintTo);
    DrawHintArrow(canvas, HintArrowGeometry(from.X, from.Y, to.X, to.Y, Cell));
  }
}

CPoint CBoardPainter::SquarePixel(CSquare square) const {
  if (Mode == 1) return GridPixel(12 - square.Col, 13 - square.Row);
  return GridPixel(square.Col - 2, square.Row - 2);
}

int CBoardPainter::ClockWidth(CCanvas& canvas, const CGameClock& clock) const {
  if (!clock.Enabled()) return 0;
  return canvas.TextWidth("00:00", {LABEL_FONT, LabelFontHeight}) + LabelFontHeight / 2;
}

void CBoardPainter::DrawClocks(CCanvas& canvas, const CGameClock& clock) const {
  const int width = ClockWidth(canvas, clock);
  if (width == 0) return;
  const CFontSpec font {LABEL_FONT, LabelFontHeight};
  const int right = Left + 15 * Cell - Cell / 4;
  const int labelTop = Top + LabelFontHeight / 4;
  const int labelBottom = Top + 11 * Cell - LabelFontHeight / 4;
  const bool redAtTop = Mode == 1;
  for (const bool red : {true, false}) {
    const bool atTop = red == redAtTop;
    const int top = atTop ? labelTop : labelBottom - LabelFontHeight;
    const int64_t left = clock.RemainingMs(red);
    // The running clock is lit; a fallen flag shows in red.
    const bool running = clock.Running() && clock.RedRunning() == red;
    canvas.DrawRectangle(right - width, top - 1, right, top + LabelFontHeight + 1, Colors::Black, 1,
                         running ? Colors::White : Colors::LightGrey);
    canvas.DrawText(right - width / 2, top, ClockText(left), font, left <= 0 ? Colors::Red : Colors::Black,
                    CHAlign::Center, CVAlign::Top);
  }
}

std::string ThinkingTimeText(int32_t ms) {
  char text[32];
  if (ms < 0) ms = 0;
  if (ms < 10000) {
    std::snprintf(text, sizeof text, "%d.%d秒", ms / 1000, ms % 1000 / 100);
  } else {
    const int32_t seconds = (ms + 500) / 1000;
    if (seconds < 60)
      std::snprintf(text, sizeof text, "%d秒", seconds);
    else
      std::snprintf(text, sizeof text, "%d分%02d秒", seconds / 60, seconds % 60);
  }
  return text;
}

int CBoardPainter::OnClick(CGame& game, CPoint point) {
  if (!IsIdle(game)) return 0;
  DragPoint = point;

  // The grid point under the click (truncating division, as the layout rounds).
  int hitSquare = 0;
  int hitPiece = 0;
  if (Cell > 0) {
    const int column = (point.X - Left + Cell / 2) / Cell;
    const int row = (point.Y - Top + Cell / 2) / Cell;
    if (row >= 0 && row <= 11 && column >= 0 && column < GridColumns()) {
      hitSquare = GridSquare(column, row);
      if (hitSquare != 0) {
        hitPiece = game.Engine.Position.Board[hitSquare];
      } else {
        // An occupied slot only: a piece on the board leaves its slot empty.
        const int slotPiece = SlotPiece(column, row);
        if (slotPiece != 0 && !game.Engine.Position.IsOnBoard(slotPiece)) hitPiece = slotPiece;
      }
    }
  }

  if (game.EditMode == 1) {
    if (Selected == 0) {
      Selected = hitPiece;
      return 1;
    }
    const int s = Selected;
    std::array<int32_t, 256> board;
    std::copy(std::begin(game.Engine.Position.Board), std::end(game.Engine.Position.Board),
              board.begin());
    const CSquare from = game.Engine.Position.PieceSquare[s];
    if (!from.IsNone()) {
      if (hitSquare != 0) {
        board[from.Index()] = 0;
        board[hitSquare] = s;
      } else {
        board[from.Index()] = hitPiece;  // empty ground removes s; a slot piece replaces it
      }
    } else if (hitSquare != 0) {
      board[hitSquare] = s;
    }
    Selected = 0;
    if (std::equal(board.begin(), board.end(), std::begin(game.Engine.Position.Board))) return 1;
    return game.NewGame(board.data(), game.RedToMove) ? 1 : 0;
  }

  if (game.Result != "*") return 0;

  if (hitSquare == 0) {
    Selected = 0;
    return 1;
  }
  if (Selected != 0) {
    const int s = Selected;
    const CSquare target {RowOf(hitSquare), ColOf(hitSquare)};
    if (CanMoveTo(game.Engine.Position, game.RedToMove, s, target)) {
      if (!game.PlayPieceTo(s, target.Row, target.Col, 1)) return 0;
    }
    Selected = 0;
    return 1;
  }
  const int first = game.RedToMove ? 1 : 17;
  if (hitPiece >= first && hitPiece <= first + 15) Selected = hitPiece;
  return 1;
}

int CBoardPainter::OnMouseMove(CPoint point) {
  if (Selected == 0) return 0;
  DragPoint = point;
  return 1;
}

int CBoardPainter::OnRightClick() {
  if (Selected == 0) return 0;
  Selected = 0;
  return 1;
}
