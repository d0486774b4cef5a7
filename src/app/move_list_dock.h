#pragma once
// The move list beside the board: one row per move pair, numbered, in
// Chinese notation, with the current move selected. Clicking a move takes
// the game back or forward to it through undo and redo; clicking the first
// row (the starting position) takes back every move. Under the list, the
// current move's comment, which the player may edit (it is saved with the game).
#include <QDockWidget>
#include <QString>
#include <string>
#include <vector>

#include "rules/move.h"

class QPlainTextEdit;
class QTableWidget;
class CLarkoView;

class CMoveListDock : public QDockWidget {
  Q_OBJECT

 public:
  explicit CMoveListDock(CLarkoView* view, QWidget* parent = nullptr);

  // Reads the record again when it changed. Does nothing while a job runs:
  // the game is not read then.
  void Refresh();
  // Plays undo or redo until the last played move is record entry ply
  // (-1: the starting position). False when the view is busy or in edit mode.
  bool GoToPly(int ply);

  // A review's marks: per ply of the reviewed moves, a text put after the
  // notation (empty: none) and its tooltip. A mark stands while the record
  // still starts with the moves up to its own.
  void SetReviewMarks(std::vector<CMove> moves, std::vector<QString> marks, std::vector<QString> tips);

  QTableWidget* Table() const { return Moves; }
  QPlainTextEdit* CommentBox() const { return Comment; }
  // The table cell of a ply (row, column); ply -1 is the starting position.
  static void CellOfPly(int ply, bool firstMoveRed, int& row, int& column);
  // The ply of a cell, or -2 when the cell holds no move.
  int PlyOfCell(int row, int column) const;

 signals:
  // The game moved to another ply because of a click.
  void PlyChanged();
  // The player edited the current move's comment.
  void CommentEdited();

 private:
  void Rebuild();
  void SelectCurrent();
  // Shows the current move's comment unless the player is editing it.
  void ShowComment();
  void TakeComment();

  CLarkoView* View;
  QTableWidget* Moves;
  QPlainTextEdit* Comment;
  std::string ShownComment;  // the comment in the box, GB2312
  int CommentPly = -2;       // the ply whose comment the box shows
  bool FillingComment = false;
  std::vector<std::string> Shown;  // notations shown, GB2312
  int ShownCurrent = -2;
  bool FirstMoveRed = true;
  std::vector<CMove> MarkedMoves;
  std::vector<QString> MarkTexts, MarkTips;
};
