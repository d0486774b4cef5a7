#pragma once
// Shared pieces of the desktop program's tests: a canvas that records every
// drawing call, a message-box recorder, and helpers to click grid points.
#include <QPoint>
#include <QTest>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "board/canvas.h"
#include "app/larko_app.h"
#include "app/larko_view.h"
#include "app/main_frame.h"
#include "app/message_box.h"
#include "game/game.h"
#include "rules/notation_maps.h"
#include "rules/pieces.h"

inline std::unique_ptr<CVoice> NoVoice() { return nullptr; }

struct CDrawCall {
  enum Kind { LineCall, RectangleCall, EllipseCall, ImageCall, TextCall } What;
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  CColor Pen;
  int PenWidth = 0;
  bool Filled = false;
  CColor Fill;
  std::string Text;  // text, or the picture path
  CFontSpec Font;
  CHAlign HAlign = CHAlign::Left;
  CVAlign VAlign = CVAlign::Top;
};

class CRecordingCanvas : public CCanvas {
 public:
  std::vector<CDrawCall> Calls;
  bool ImageLoads = false;  // what DrawImage answers

  void DrawLine(int x1, int y1, int x2, int y2, CColor pen, int penWidth) override {
    Calls.push_back({CDrawCall::LineCall, x1, y1, x2, y2, pen, penWidth, false, {}, {}, {}, {}, {}});
  }
  void DrawRectangle(int l, int t, int r, int b, CColor pen, int penWidth, std::optional<CColor> fill) override {
    Calls.push_back({CDrawCall::RectangleCall, l, t, r, b, pen, penWidth, fill.has_value(), fill.value_or(CColor {}), {}, {}, {}, {}});
  }
  void DrawEllipse(int l, int t, int r, int b, CColor pen, int penWidth, std::optional<CColor> fill) override {
    Calls.push_back({CDrawCall::EllipseCall, l, t, r, b, pen, penWidth, fill.has_value(), fill.value_or(CColor {}), {}, {}, {}, {}});
  }
  bool DrawImage(const std::string& path, int l, int t, int r, int b) override {
    Calls.push_back({CDrawCall::ImageCall, l, t, r, b, {}, 0, false, {}, path, {}, {}, {}});
    return ImageLoads;
  }
  void DrawText(int x, int y, const std::string& utf8, const CFontSpec& font, CColor color, CHAlign h,
                CVAlign v) override {
    Calls.push_back({CDrawCall::TextCall, x, y, 0, 0, color, 0, false, {}, utf8, font, h, v});
  }

  // A Chinese character (and the ellipsis) as wide as the font is high, any
  // other character half as wide.
  int TextWidth(const std::string& utf8, const CFontSpec& font) override {
    int width = 0;
    for (unsigned char c : utf8) {
      if (c < 0x80) width += font.Height / 2;
      else if ((c & 0xC0) == 0xC0) width += font.Height;
    }
    return width;
  }
  std::string ElideText(const std::string& utf8, const CFontSpec& font, int maxWidth) override {
    if (TextWidth(utf8, font) <= maxWidth) return utf8;
    std::string text = utf8;
    while (!text.empty() && TextWidth(text + "…", font) > maxWidth) {
      // Drop the last character: its continuation bytes, then its lead byte.
      while ((static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
      text.pop_back();
    }
    return text + "…";
  }

  int Count(CDrawCall::Kind kind) const {
    int n = 0;
    for (const auto& call : Calls) n += call.What == kind ? 1 : 0;
    return n;
  }
  // The texts drawn, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& call : Calls)
      if (call.What == CDrawCall::TextCall) texts.push_back(call.Text);
    return texts;
  }
  // Index of the first text call with that text and anchor, -1 when none.
  int FindText(const std::string& text, int x = INT32_MIN, int y = INT32_MIN) const {
    for (size_t i = 0; i < Calls.size(); ++i) {
      const auto& call = Calls[i];
      if (call.What != CDrawCall::TextCall || call.Text != text) continue;
      if (x != INT32_MIN && call.X1 != x) continue;
      if (y != INT32_MIN && call.Y1 != y) continue;
      return static_cast<int>(i);
    }
    return -1;
  }
};

// Answers every message box: records its text; questions get No.
struct CMessageRecorder {
  QStringList Messages;
  CMessageRecorder() {
    SetMessageHook([this](const QString& text, CMessageKind kind) {
      Messages << text;
      return kind == CMessageKind::Question ? CAnswer::No : CAnswer::Ok;
    });
  }
  ~CMessageRecorder() { SetMessageHook(nullptr); }
};

// One game object for the whole test program, as at start-up.
inline void StartGameObject() {
  BuildNotationMaps();
  CLarkoApp::CreateGameObject(NoVoice);
}

// Back to a fresh game with quick, bookless computer moves.
inline void ResetGame() {
  CGame& game = *g_Game;
  game.HumanVsHuman = 0;
  game.HumanPlaysRed = 1;
  game.EditMode = 0;
  game.SpeakMoves = 0;
  game.NaturalLimitPlies = 80;
  game.Red = "Player";
  game.Black = "Computer";
  game.Engine.UseBook = 0;
  game.Engine.MaxDepth = 2;
  game.Engine.MaxIterTime = 3000;
  game.Engine.MaxSearchTime = 4000;
  game.NewGame(InitialBoard.data(), 1);
}

// Shows a main window at the given size, waits until it is on screen and
// draws the board once; false when it never appeared.
inline bool ShowFrame(CMainFrame& frame, int width, int height) {
  frame.resize(width, height);
  frame.show();
  const bool exposed = QTest::qWaitForWindowExposed(&frame);
  frame.View()->Redraw();
  return exposed;
}

// A person's left click on the board at a grid column and row.
inline void ClickGrid(CLarkoView* view, int column, int row) {
  const CPoint p = view->Painter.GridPixel(column, row);
  QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
}
