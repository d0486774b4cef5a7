#pragma once
// The 复盘 dialog: the engine's time for each position and whether the
// review is written into the game as comments. Its values start at the
// review's own defaults; the review job checks them.
#include <QDialog>
#include <string>

#include "jobs/game_review.h"

class QCheckBox;
class QSpinBox;

class CReviewDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CReviewDialog(QWidget* parent = nullptr);

  CReviewSettings Settings() const;

  QSpinBox* MoveTime() const { return MoveTimeBox; }
  QCheckBox* WriteComments() const { return WriteCommentsBox; }
  QCheckBox* UseOutside() const { return UseOutsideBox; }

 private:
  QSpinBox* MoveTimeBox;
  QCheckBox* WriteCommentsBox;
  QCheckBox* UseOutsideBox;
  std::string OutsideCommand;  // the engine set in 选项, empty when none
};
