#pragma once
// "游戏选项": the game's tags and result, and the engine and game options.
// Opening copies the values from the game object; 确定 checks every number
// box and copies everything back (nothing at all when one box is wrong);
// 取消 changes nothing.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

class COptionsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit COptionsDialog(QWidget* parent = nullptr);

  void accept() override;

  // The controls, named after what they edit (the tests fill them in).
  QLineEdit *Event, *Round, *Date, *Site, *RedTeam, *Red, *BlackTeam, *Black, *Ecco, *Opening,
      *Variation;
  QComboBox *Result, *SearchMode, *EvalModel;
  QLineEdit *MaxDepth, *MaxIterTime, *MaxSearchTime, *HashEntries, *NaturalLimitMoves,
      *NullMoveMinPieces;
  QCheckBox *UseBook, *RandomBook, *UseNullMove, *HumanVsHuman, *HumanPlaysRed, *SpeakMoves;
  // The outside engine at the board (kept between runs) and the clock.
  QComboBox* OutsideSeat;
  QLineEdit *OutsideCommand, *OutsideOptions, *OutsideMoveTime, *ClockMinutes, *ClockIncrement;

 private:
  void LoadFromGame();
  QWidget* MakeOutsideGroup();
  // Reads an unsigned number in min..max; shows the message and focuses the box when it is not.
  bool ReadNumber(QLineEdit* box, const QString& label, uint32_t min, uint32_t max, uint32_t& value);
};
