#pragma once
// The game-training dialog: collects the values of a game training. It
// lives as long as the view, so the values entered last are offered again;
// after OK the view starts the training with them. The outside program is
// an engine command line with its thinking time per move.
#include <QDialog>

#include "jobs/game_training_values.h"
#include "jobs/ucci_engine_process.h"

class QCheckBox;
class QLineEdit;
class CFolderEdit;

class CGameTrainingDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CGameTrainingDialog(QWidget* parent = nullptr);

  const CGameTrainingValues& Values() const { return V; }
  const COutsideEngineSettings& Outside() const { return V.Outside; }

  CFolderEdit* RootDir;
  QCheckBox *CullDraw, *UseOutside;
  QLineEdit *MaxTrainCount, *MaxMoveCount, *MaxWaitTime, *MaxUncapMoveCount, *MinDeltaPieceCount,
      *MinStatusCount, *MinMoveCoeff, *MaxLearnCount, *AutoSaveCount, *Alpha, *Lambda,
      *EngineCommand, *EngineMoveTime;

 public slots:
  // Reads every field and has the job check the values; the dialog stays
  // open, the focus on the field, when one is no number or is refused.
  void accept() override;
  // Shows the values kept from last time.
  int exec() override;

 private:
  void ShowValues();

  CGameTrainingValues V;
};
