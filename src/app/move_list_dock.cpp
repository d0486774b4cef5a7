#include "app/move_list_dock.h"

#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/larko_view.h"
#include "common/text_encoding.h"
#include "game/game.h"

namespace {
// Row 0 is the starting position; move pairs follow from row 1.
constexpr int START_ROW = 0;
constexpr int RED_COLUMN = 0;
constexpr int BLACK_COLUMN = 1;
}  // namespace

CMoveListDock::CMoveListDock(CLarkoView* view, QWidget* parent)
    : QDockWidget(QStringLiteral("着法列表"), parent),
      View(view),
      Moves(new QTableWidget(this)),
      Comment(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("MoveList"));
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  Moves->setColumnCount(2);
  Moves->setHorizontalHeaderLabels({QStringLiteral("红方"), QStringLiteral("黑方")});
  Moves->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Moves->setSelectionMode(QAbstractItemView::SingleSelection);
  Moves->setSelectionBehavior(QAbstractItemView::SelectItems);
  Moves->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Moves->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Moves->setMinimumWidth(200);
  Comment->setPlaceholderText(QStringLiteral("本步没有注释"));
  Comment->setToolTip(QStringLiteral("当前着法的注释, 可以修改, 随棋谱保存"));
  Comment->setMaximumHeight(120);
  auto* panel = new QWidget(this);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Moves, 1);
  layout->addWidget(new QLabel(QStringLiteral("注释:"), panel));
  layout->addWidget(Comment);
  setWidget(panel);
  connect(Comment, &QPlainTextEdit::textChanged, this, &CMoveListDock::TakeComment);
  connect(Moves, &QTableWidget::cellClicked, this, [this](int row, int column) {
    const int ply = PlyOfCell(row, column);
    if (ply >= -1 && GoToPly(ply)) {
      emit PlyChanged();
    } else {
      SelectCurrent();  // a click the game cannot follow leaves the old mark
    }
  });
}

void CMoveListDock::CellOfPly(int ply, bool firstMoveRed, int& row, int& column) {
  if (ply < 0) {
    row = START_ROW;
    column = RED_COLUMN;
    return;
  }
  // A game that starts with black to move leaves the first red cell empty.
  const int slot = ply + (firstMoveRed ? 0 : 1);
  row = 1 + slot / 2;
  column = slot % 2 == 0 ? RED_COLUMN : BLACK_COLUMN;
}

int CMoveListDock::PlyOfCell(int row, int column) const {
  if (row == START_ROW) return column == RED_COLUMN ? -1 : -2;
  const int slot = (row - 1) * 2 + (column == BLACK_COLUMN ? 1 : 0);
  const int ply = slot - (FirstMoveRed ? 0 : 1);
  return ply >= 0 && ply < static_cast<int>(Shown.size()) ? ply : -2;
}

bool CMoveListDock::GoToPly(int ply) {
  if (!View->IsIdle() || g_Game->EditMode != 0) return false;
  CGameRecord& record = g_Game->Record();
  if (ply < -1 || ply >= record.Length) return false;
  while (record.Current > ply) {
    if (!g_Game->Undo()) break;
  }
  while (record.Current < ply) {
    if (!g_Game->Redo()) break;
  }
  Refresh();
  return record.Current == ply;
}

void CMoveListDock::Refresh() {
  // The record is the job's while it runs: no edits then.
  Comment->setReadOnly(!View->IsIdle() || g_Game->Record().Current < 0);
  if (!View->IsIdle()) return;
  const CGameRecord& record = g_Game->Record();
  bool same = static_cast<int>(Shown.size()) == record.Length;
  for (int i = 0; same && i < record.Length; ++i) same = Shown[i] == record[i].Notation;
  // The first mover decides the layout; a new game may only change that.
  const bool firstMoveRed = record.Length == 0 || (record[0].Move.Piece >= 1 && record[0].Move.Piece <= 16);
  if (!same || firstMoveRed != FirstMoveRed) {
    Shown.clear();
    for (int i = 0; i < record.Length; ++i) Shown.emplace_back(record[i].Notation);
    FirstMoveRed = firstMoveRed;
    Rebuild();
  }
  if (ShownCurrent != record.Current) SelectCurrent();
  ShowComment();
}

void CMoveListDock::ShowComment() {
  const CGameRecord& record = g_Game->Record();
  const int ply = record.Current;
  const std::string text = ply >= 0 ? record[ply].Comment : std::string();
  if (ply == CommentPly && (text == ShownComment || Comment->hasFocus())) return;
  CommentPly = ply;
  ShownComment = text;
  // A file's comment may hold CR LF line ends; the box shows plain lines.
  QString shown = QString::fromStdString(Gb2312ToUtf8(text));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  FillingComment = true;
  Comment->setPlainText(shown);
  FillingComment = false;
}

void CMoveListDock::TakeComment() {
  if (FillingComment || Comment->isReadOnly() || !View->IsIdle()) return;
  CGameRecord& record = g_Game->Record();
  if (record.Current < 0 || record.Current != CommentPly) return;
  ShownComment = Utf8ToGb18030(Comment->toPlainText().toStdString());
  record[record.Current].Comment = ShownComment;
  emit CommentEdited();
}

void CMoveListDock::Rebuild() {
  Moves->clearContents();
  int lastRow = START_ROW, column = 0;
  if (!Shown.empty()) CellOfPly(static_cast<int>(Shown.size()) - 1, FirstMoveRed, lastRow, column);
  Moves->setRowCount(lastRow + 1);
  Moves->setVerticalHeaderItem(START_ROW, new QTableWidgetItem(QString()));
  Moves->setItem(START_ROW, RED_COLUMN, new QTableWidgetItem(QStringLiteral("开局")));
  auto* empty = new QTableWidgetItem;
  empty->setFlags(Qt::NoItemFlags);
  Moves->setItem(START_ROW, BLACK_COLUMN, empty);
  for (int row = 1; row <= lastRow; ++row) {
    Moves->setVerticalHeaderItem(row, new QTableWidgetItem(QStringLiteral("%1.").arg(row)));
  }
  // The review's marks hold for the plies where the record still follows the reviewed moves.
  const CGameRecord& record = g_Game->Record();
  int marked = 0;
  while (marked < static_cast<int>(MarkedMoves.size()) && marked < record.Length &&
         record[marked].Move == MarkedMoves[static_cast<size_t>(marked)])
    ++marked;
  for (int ply = 0; ply < static_cast<int>(Shown.size()); ++ply) {
    int row = 0;
    CellOfPly(ply, FirstMoveRed, row, column);
    auto* item = new QTableWidgetItem(QString::fromStdString(Gb2312ToUtf8(Shown[ply])));
    const auto at = static_cast<size_t>(ply);
    if (ply < marked && at < MarkTexts.size() && !MarkTexts[at].isEmpty()) {
      item->setText(item->text() + QLatin1Char(' ') + MarkTexts[at]);
      if (at < MarkTips.size()) item->setToolTip(MarkTips[at]);
      item->setForeground(QColor(200, 0, 0));
    }
    Moves->setItem(row, column, item);
  }
  if (!FirstMoveRed && lastRow >= 1) {
    auto* none = new QTableWidgetItem(QStringLiteral("…"));
    none->setFlags(Qt::NoItemFlags);
    Moves->setItem(1, RED_COLUMN, none);
  }
  ShownCurrent = -2;
  CommentPly = -2;  // another record: its comment is shown even while the box has focus
}

void CMoveListDock::SetReviewMarks(std::vector<CMove> moves, std::vector<QString> marks, std::vector<QString> tips) {
  MarkedMoves = std::move(moves);
  MarkTexts = std::move(marks);
  MarkTips = std::move(tips);
  if (!View->IsIdle()) return;  // the next Refresh with a changed record rebuilds
  Rebuild();
  SelectCurrent();
}

void CMoveListDock::SelectCurrent() {
  const int current = g_Game->Record().Current;
  int row = 0, column = 0;
  CellOfPly(current, FirstMoveRed, row, column);
  Moves->setCurrentCell(row, column);
  if (QTableWidgetItem* item = Moves->item(row, column)) Moves->scrollToItem(item);
  ShownCurrent = current;
}
