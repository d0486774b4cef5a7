#pragma once
// Where and how large the main window opens, and what it keeps between runs
// (size, position, docks and toolbar, board picture) with QSettings.
#include <QRect>
#include <QSize>

class QMainWindow;
class CBoardPainter;

// The board's cells are wanted at least this large where the screen allows.
inline constexpr int kWantedCell = 48;

// The window for a first start: the board view (16 by 12 cells, as the
// board is laid out for one board) with cells of 9/10 of the largest that
// fit, but at least kWantedCell where that fits, plus `chrome` (what the
// window adds around the view: menus, toolbar, docks, status bar), centred
// in `available` and never below `minimum`.
QRect FittedWindowRect(const QRect& available, const QSize& chrome, const QSize& minimum);

// Puts back the size, position, docks and board picture of the last run; a
// first start gets FittedWindowRect on the window's screen. The window must
// not be shown yet.
void RestoreWindowSettings(QMainWindow& window, CBoardPainter& painter, const QSize& chrome);
// Keeps them for the next run.
void SaveWindowSettings(const QMainWindow& window, const CBoardPainter& painter);
