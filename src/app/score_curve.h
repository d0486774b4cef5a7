#pragma once
// The score curve of a reviewed game: one point per position (the start and
// the position after each move), the score from red's side, clamped so that
// a won position does not flatten the rest. Red's advantage is up. A click
// names the position nearest to it; the current position is marked.
#include <QWidget>
#include <vector>

class CScoreCurve : public QWidget {
  Q_OBJECT

 public:
  // Scores beyond this many centipawns either way are drawn at the edge.
  static constexpr int CLAMP_CENTIPAWNS = 1000;
  static constexpr int MARGIN = 6;

  explicit CScoreCurve(QWidget* parent = nullptr);

  // Centipawns from red's side, position 0 the game's start.
  void SetScores(std::vector<int> redCentipawns);
  const std::vector<int>& Scores() const { return Values; }
  // The position to mark, -1 for none.
  void SetCurrent(int position);
  int Current() const { return CurrentPosition; }

  // Pixel of a position's point in the widget's present size.
  QPoint PointOf(int position) const;
  // The position whose point is nearest to x, -1 with no scores.
  int PositionAt(int x) const;

  QSize sizeHint() const override { return {400, 110}; }

 signals:
  void PositionClicked(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::vector<int> Values;
  int CurrentPosition = -1;
};
