#pragma once
// The 自对弈 dialog: collects the settings of a self-play run, two
// configurations of the engine (A and B) playing each other into a folder.
// It lives as long as the view, so the values entered last are offered
// again; after OK the view runs the job with them. The values start at the
// job's defaults, and the job checks them: the dialog only reads numbers.
#include <QDialog>

#include "jobs/selfplay_settings.h"

class QComboBox;
class QLineEdit;

class CSelfPlayDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSelfPlayDialog(QWidget* parent = nullptr);

  const CSelfPlaySettings& Settings() const { return V; }

  QLineEdit* OutDir;
  QComboBox *AEval, *BEval;
  QLineEdit *Games, *ADepth, *BDepth, *ANodes, *BNodes, *MoveTime, *RandomPlies, *MaxPlies, *MinDeltaPieceCount;
  QLineEdit *Seed, *Threads;

 public slots:
  // Reads every field and has the job check the settings; the dialog stays
  // open, the focus on the field, when one is no number or is refused.
  void accept() override;
  // Shows the values kept from last time.
  int exec() override;

 private:
  void ShowValues();

  CSelfPlaySettings V;
  bool SeedFromClock = true;  // an empty seed field: every run takes a new one
};
