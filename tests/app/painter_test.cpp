// The board painter on its own: layout numbers, what is drawn where through
// a recording canvas, the grid and slot mappings, and clicks.
#include <QtTest>

#include "board/board_painter.h"
#include "app_test_support.h"
#include "common/text_encoding.h"
#include "common/exe_path.h"
#include "rules/iccs.h"

namespace {
void Play(const char* iccs) {
  CMove move;
  QVERIFY(MoveFromIccs(g_Game->Position(), iccs, move));
  QVERIFY(g_Game->PlayMove(move, 0));
}
}  // namespace

class PainterTest : public QObject {
  Q_OBJECT

 private:
  CBoardPainter Painter;

 private slots:
  void initTestCase() { StartGameObject(); }
  void cleanupTestCase() { CLarkoApp::DeleteGameObject(); }
  void init() {
    ResetGame();
    Painter.ResetPainter();
    g_Game->OnBoardReset = [this] { Painter.ResetPainter(); };
  }
  void cleanup() { g_Game->OnBoardReset = nullptr; }

  void layoutSizes() {
    CBoardPainter& painter = Painter;
    for (int humanPlaysRed : {1, 0}) {
      g_Game->HumanPlaysRed = humanPlaysRed;
      painter.Layout(*g_Game, {0, 0, 640, 580});
      QCOMPARE(painter.Mode, humanPlaysRed ? 0 : 1);
      QCOMPARE(painter.Cell, 40);
      QCOMPARE(painter.PieceRadius, 18);
      QCOMPARE(painter.PieceFontHeight, 35);
      QCOMPARE(painter.LabelFontHeight, 15);
      // Centred: (580 - 480) / 2 + 20 and (640 - 640) / 2 + 20.
      QCOMPARE(painter.Top, 70);
      QCOMPARE(painter.Left, 20);
      QCOMPARE(painter.Right, 20 + 15 * 40);
      QCOMPARE(painter.Bottom, 70 + 11 * 40);
    }
    g_Game->HumanVsHuman = 1;
    painter.Layout(*g_Game, {0, 0, 640, 580});
    QCOMPARE(painter.Mode, 2);
    QCOMPARE(painter.Cell, 24);
    QCOMPARE(painter.Right, painter.Left + 25 * 24);
    // Single-precision factors, truncated products: 25 gives 10, not 11.
    g_Game->HumanVsHuman = 0;
    painter.Layout(*g_Game, {0, 0, 464, 348});
    QCOMPARE(painter.Cell, 29);
    QCOMPARE(painter.PieceRadius, 13);
    QCOMPARE(painter.PieceFontHeight, 25);
    QCOMPARE(painter.LabelFontHeight, 10);
  }

  void gridAndSlotMappings() {
    CBoardPainter& painter = Painter;
    painter.Mode = 0;
    QCOMPARE(painter.GridSquare(1, 1), SquareOf(3, 3));
    QCOMPARE(painter.GridSquare(9, 10), SquareOf(12, 11));
    QCOMPARE(painter.GridSquare(0, 5), 0);
    QCOMPARE(painter.GridSquare(10, 5), 0);
    QCOMPARE(painter.GridSquare(16, 1), 0);
    QCOMPARE(painter.SlotOf(1), (CPoint {11, 10}));
    QCOMPARE(painter.SlotOf(16), (CPoint {14, 7}));
    QCOMPARE(painter.SlotOf(17), (CPoint {11, 1}));
    QCOMPARE(painter.SlotOf(32), (CPoint {14, 4}));
    painter.Mode = 1;
    QCOMPARE(painter.GridSquare(1, 1), SquareOf(12, 11));
    QCOMPARE(painter.SlotOf(1), (CPoint {11, 1}));
    QCOMPARE(painter.SlotOf(32), (CPoint {14, 7}));
    painter.Mode = 2;
    QCOMPARE(painter.GridSquare(16, 1), SquareOf(12, 11));
    QCOMPARE(painter.GridSquare(24, 10), SquareOf(3, 3));
    for (int mode : {0, 1, 2}) {
      painter.Mode = mode;
      for (int piece = 1; piece <= 32; ++piece) {
        const CPoint slot = painter.SlotOf(piece);
        QCOMPARE(painter.SlotPiece(slot.X, slot.Y), piece);
      }
    }
  }

  // A missing picture leaves the grey background; everything else is drawn.
  void paintWithoutTexture() {
    CRecordingCanvas canvas;
    CBoardPainter& painter = Painter;
    painter.Paint(canvas, *g_Game, {0, 0, 640, 580});
    QVERIFY(canvas.Calls.size() > 2);
    const CDrawCall& background = canvas.Calls[0];
    QCOMPARE(background.What, CDrawCall::RectangleCall);
    QVERIFY(background.Filled && background.Fill == Colors::LightGrey);
    QCOMPARE(background.X2, 640);
    QCOMPARE(background.Y2, 580);
    const CDrawCall& image = canvas.Calls[1];
    QCOMPARE(image.What, CDrawCall::ImageCall);
    // A program file: beside the program, not in the data folder (TARVO_HOME here).
    QCOMPARE(image.Text, ExecutableFolder() + "image/oak_bed2_2.bmp");
    QVERIFY(ExecutableFolder() != GetExePath());
    QCOMPARE(image.X1, painter.Left);
    QCOMPARE(image.Y2, painter.Bottom);
    // 10 ranks, 2 outer files, 7 split files, 4 palace diagonals.
    QCOMPARE(canvas.Count(CDrawCall::LineCall), 10 + 2 + 14 + 4);
    QCOMPARE(canvas.Count(CDrawCall::RectangleCall), 1 + 1 + 3);
    QCOMPARE(canvas.Count(CDrawCall::EllipseCall), 32 + 32);
    // River 2, file labels 18, names 2, status 1, pieces 32.
    QCOMPARE(canvas.Count(CDrawCall::TextCall), 2 + 18 + 2 + 1 + 32);
    for (const auto& call : canvas.Calls) {
      if (call.What == CDrawCall::LineCall) QCOMPARE(call.PenWidth, 2);  // width 600 is not above 640
    }
    QVERIFY(canvas.FindText("轮到 红方 走棋") >= 0);
    QVERIFY(canvas.FindText("Computer:", painter.Left + 10 * 40 + 10, painter.Top + 15 / 4) >= 0);
    QVERIFY(canvas.FindText("Player:", painter.Left + 10 * 40 + 10, painter.Top + 11 * 40 - 15 / 4) >= 0);
    // Red's files at the bottom, numbered from red's right.
    QVERIFY(canvas.FindText("九", painter.Left + 40) >= 0);
    QVERIFY(canvas.FindText("１", painter.Left + 40) >= 0);
    // The red king on its square: grid (5, 10), name centred, bottom at y + 35 / 2.
    const int kingText = canvas.FindText("帅", painter.Left + 5 * 40, painter.Top + 10 * 40 + 17);
    QVERIFY(kingText > 0);
    const CDrawCall& disc = canvas.Calls[kingText - 1];
    QCOMPARE(disc.What, CDrawCall::EllipseCall);
    QVERIFY(disc.Pen == Colors::Red && disc.Fill == Colors::Red);
    QCOMPARE(disc.X1, painter.Left + 5 * 40 - 18);
    QCOMPARE(canvas.Calls[kingText].Pen, Colors::White);
  }

  void turnedAndTwoBoards() {
    CBoardPainter& painter = Painter;
    g_Game->HumanPlaysRed = 0;
    CRecordingCanvas turned;
    painter.Paint(turned, *g_Game, {0, 0, 640, 580});
    QVERIFY(turned.FindText("帅", painter.Left + 5 * 40, painter.Top + 40 + 17) >= 0);
    QVERIFY(turned.FindText("Player:", INT32_MIN, painter.Top + 15 / 4) >= 0);

    g_Game->HumanPlaysRed = 1;
    g_Game->HumanVsHuman = 1;
    CRecordingCanvas two;
    painter.Paint(two, *g_Game, {0, 0, 1300, 600});
    QCOMPARE(painter.Mode, 2);
    QCOMPARE(two.Count(CDrawCall::LineCall), 60);
    QCOMPARE(two.Count(CDrawCall::EllipseCall), 32 + 64);
    QCOMPARE(two.Count(CDrawCall::TextCall), 4 + 36 + 2 + 1 + 64);
    const int w = painter.Cell;
    QVERIFY(two.FindText("帅", painter.Left + 5 * w) >= 0);
    QVERIFY(two.FindText("帅", painter.Left + 20 * w) >= 0);
    for (const auto& call : two.Calls) {
      if (call.What == CDrawCall::LineCall) QCOMPARE(call.PenWidth, 3);  // wider than 640
    }
  }

  void capturedPieceAndLastMove() {
    Play("h2e2");
    Play("b9c7");
    Play("e2e6");  // the cannon takes black's centre pawn
    const int pawn = g_Game->Record()[2].Move.Captured;
    QVERIFY(pawn >= 17);
    g_Game->Record()[2].TimeMs = 46983;
    CBoardPainter& painter = Painter;
    for (int humanPlaysRed : {1, 0}) {
      g_Game->HumanPlaysRed = humanPlaysRed;
      CRecordingCanvas canvas;
      painter.Paint(canvas, *g_Game, {0, 0, 640, 580});
      const CPoint slot = painter.SlotOf(pawn);
      QVERIFY(canvas.FindText("卒", painter.Left + slot.X * 40, painter.Top + slot.Y * 40 + 17) >= 0);
      // Black's box is on black's half: the top when red is at the bottom.
      QVERIFY(humanPlaysRed ? slot.Y <= 4 : slot.Y >= 7);
      // A person's move shows its time only, on the mover's (red's) side.
      const std::string text = "47秒";
      const int labelY = humanPlaysRed ? painter.Top + 11 * 40 - 15 / 4 : painter.Top + 15 / 4;
      QVERIFY(canvas.FindText(text, painter.Left + 15 * 40 - 10, labelY) >= 0);
    }
  }

  void thinkingTimeText() {
    const std::pair<int, const char*> cases[] = {{0, "0.0秒"},      {640, "0.6秒"},     {9999, "9.9秒"},
                                                 {10000, "10秒"},    {46983, "47秒"},    {59499, "59秒"},
                                                 {59500, "1分00秒"}, {125000, "2分05秒"}, {-5, "0.0秒"}};
    for (const auto& [ms, text] : cases) QCOMPARE(ThinkingTimeText(ms), std::string(text));
  }

  // A long name is cut short before the move's text on its line.
  void longNameIsElided() {
    g_Game->Red = Utf8ToGb18030("中华人民共和国象棋协会特级大师联赛冠军");
    Play("h2e2");  // red moved: the move's text is on red's line at the bottom
    CBoardPainter& painter = Painter;
    CRecordingCanvas canvas;
    painter.Paint(canvas, *g_Game, {0, 0, 640, 580});
    const int bottomY = painter.Top + 11 * 40 - 15 / 4;
    const CFontSpec font {CBoardPainter::LABEL_FONT, 15};
    const std::string moveText = ThinkingTimeText(g_Game->Record()[0].TimeMs);
    const int moveIndex = canvas.FindText(moveText, painter.Left + 15 * 40 - 10, bottomY);
    QVERIFY(moveIndex >= 0);
    const CDrawCall* name = nullptr;
    for (const auto& call : canvas.Calls)
      if (call.What == CDrawCall::TextCall && call.Y1 == bottomY && call.X1 == painter.Left + 410)
        name = &call;
    QVERIFY(name);
    QVERIFY(QString::fromStdString(name->Text).startsWith(QStringLiteral("中华人民")));
    QVERIFY(QString::fromStdString(name->Text).endsWith(QStringLiteral("…:")));
    const int moveLeft = painter.Left + 15 * 40 - 10 - canvas.TextWidth(moveText, font);
    QVERIFY(name->X1 + canvas.TextWidth(name->Text, font) < moveLeft);
    // The other side's short name is whole.
    QVERIFY(canvas.FindText("Computer:", painter.Left + 410, painter.Top + 15 / 4) >= 0);
  }

  void statusLine() {
    const auto status = [this] {
      CRecordingCanvas canvas;
      Painter.Paint(canvas, *g_Game, {0, 0, 640, 580});
      return canvas.Texts()[2 + 18 + 2];
    };
    QCOMPARE(status(), std::string("轮到 红方 走棋"));
    g_Game->Resign();
    QCOMPARE(status(), std::string("红先负"));
    g_Game->Result = "1/2-1/2";
    QCOMPARE(status(), std::string("红先和"));
    g_Game->Result = "1-0";
    QCOMPARE(status(), std::string("红先胜"));
  }

  void selectedPieceFollowsMouse() {
    CBoardPainter& painter = Painter;
    painter.Layout(*g_Game, {0, 0, 640, 580});
    const CPoint cannon = painter.GridPixel(8, 8);  // red cannon on h2
    QCOMPARE(painter.OnClick(*g_Game, cannon), 1);
    QCOMPARE(painter.Selected, 3);
    QCOMPARE(painter.OnMouseMove({300, 301}), 1);
    CRecordingCanvas canvas;
    painter.Paint(canvas, *g_Game, {0, 0, 640, 580});
    // Drawn last, at the mouse.
    QCOMPARE(canvas.Calls.back().Text, std::string("砲"));
    QCOMPARE(canvas.Calls.back().X1, 300);
    QCOMPARE(canvas.Calls.back().Y1, 301 + 17);
    QCOMPARE(painter.OnRightClick(), 1);
    QCOMPARE(painter.OnRightClick(), 0);
    QCOMPARE(painter.OnMouseMove({1, 1}), 0);
  }

  void clicksInPlayMode() {
    CBoardPainter& painter = Painter;
    painter.Layout(*g_Game, {0, 0, 640, 580});
    // A black piece cannot be picked up on red's turn.
    QCOMPARE(painter.OnClick(*g_Game, painter.GridPixel(1, 1)), 1);
    QCOMPARE(painter.Selected, 0);
    // An illegal destination drops the selection; a legal one plays.
    painter.OnClick(*g_Game, painter.GridPixel(8, 8));
    QCOMPARE(painter.OnClick(*g_Game, painter.GridPixel(7, 7)), 1);
    QCOMPARE(painter.Selected, 0);
    QCOMPARE(g_Game->Record().Length, 0);
    painter.OnClick(*g_Game, painter.GridPixel(8, 8));
    QCOMPARE(painter.OnClick(*g_Game, painter.GridPixel(5, 8)), 1);
    QCOMPARE(g_Game->Record().Length, 1);
    QCOMPARE(g_Game->RedToMove, 0);
    // Off the board drops a selection; nothing is hit outside the grid.
    painter.OnClick(*g_Game, painter.GridPixel(2, 1));
    QCOMPARE(painter.Selected, 17 + 4);
    QCOMPARE(painter.OnClick(*g_Game, {5000, 5000}), 1);
    QCOMPARE(painter.Selected, 0);
    // A busy engine takes no clicks.
    g_Game->Engine.EngineIdle = 0;
    QCOMPARE(painter.OnClick(*g_Game, painter.GridPixel(2, 1)), 0);
    g_Game->Engine.EngineIdle = 1;
    // After the game ends nothing happens.
    g_Game->Resign();
    QCOMPARE(painter.OnClick(*g_Game, painter.GridPixel(2, 1)), 0);
    QCOMPARE(painter.Selected, 0);
  }

  void editModeClicks() {
    CBoardPainter& painter = Painter;
    g_Game->EditMode = 1;
    // The view lays the picture out again after every click (a new game resets the painter).
    const auto click = [&](int column, int row) {
      painter.Layout(*g_Game, {0, 0, 640, 580});
      return painter.OnClick(*g_Game, painter.GridPixel(column, row));
    };
    // Take the red chariot off: pick it up, drop it on empty ground beside the board.
    QCOMPARE(click(1, 10), 1);
    QCOMPARE(painter.Selected, 2);
    QCOMPARE(click(12, 5), 1);
    QVERIFY(!g_Game->Position().IsOnBoard(2));
    QCOMPARE(g_Game->Record().Length, 0);
    QCOMPARE(QString::fromStdString(g_Game->FEN), QStringLiteral("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/1NBAKABNR w - - 0 1"));
    // Its slot (occupied now) puts it back on any square.
    const CPoint slot = painter.SlotOf(2);
    click(slot.X, slot.Y);
    QCOMPARE(painter.Selected, 2);
    click(1, 7);
    QCOMPARE(g_Game->Position().Board[SquareOf(9, 3)], 2);
    // An empty slot selects nothing.
    const CPoint emptySlot = painter.SlotOf(1);
    QCOMPARE(click(emptySlot.X, emptySlot.Y), 1);
    QCOMPARE(painter.Selected, 0);
    // An elephant off its points is refused and the position stays.
    click(3, 10);  // red elephant
    const CPosition before = g_Game->Position();
    QCOMPARE(click(3, 9), 0);
    QVERIFY(g_Game->Position().SamePlacement(before));
    QCOMPARE(painter.Selected, 0);
  }

  void resetPainter() {
    CBoardPainter& painter = Painter;
    painter.Texture = "image/marbpale_2.bmp";
    painter.Selected = 5;
    g_Game->NewGame(InitialBoard.data(), 1);
    QCOMPARE(painter.Texture, std::string("image/oak_bed2_2.bmp"));
    QCOMPARE(painter.Selected, 0);
    painter.Texture = "image/graymarb_2.bmp";
    g_Game->ClearBoard();
    QCOMPARE(painter.Texture, std::string("image/oak_bed2_2.bmp"));
  }
};

QTEST_MAIN(PainterTest)
#include "painter_test.moc"
