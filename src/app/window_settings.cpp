#include "app/window_settings.h"

#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <string>

#include "app/command_ids.h"
#include "board/board_painter.h"
#include "game/game.h"

namespace {
// The board's grid for one board: 16 cells across, 12 down.
constexpr int kCellsAcross = 16;
constexpr int kCellsDown = 12;

bool IsKnownTexture(const std::string& path) {
  return std::any_of(std::begin(kTextureCommands), std::end(kTextureCommands),
                     [&path](const CTextureCommand& texture) { return path == texture.Path; });
}
}  // namespace

QRect FittedWindowRect(const QRect& available, const QSize& chrome, const QSize& minimum) {
  const int fit = std::max(0, std::min((available.width() - chrome.width()) / kCellsAcross,
                                       (available.height() - chrome.height()) / kCellsDown));
  const int cell = std::min(fit, std::max(kWantedCell, fit * 9 / 10));
  const QSize size = QSize(kCellsAcross * cell, kCellsDown * cell) + chrome;
  QRect rect(QPoint(0, 0), size.expandedTo(minimum));
  rect.moveCenter(available.center());
  return rect;
}

void RestoreWindowSettings(QMainWindow& window, CBoardPainter& painter, const QSize& chrome) {
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  const std::string texture = settings.value(QStringLiteral("board/texture")).toString().toStdString();
  if (IsKnownTexture(texture)) painter.Texture = texture;
  window.restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
  if (window.restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray())) return;
  const QScreen* screen = window.screen();
  if (!screen) return;
  window.setGeometry(FittedWindowRect(screen->availableGeometry(), chrome, window.minimumSize()));
}

void SaveWindowSettings(const QMainWindow& window, const CBoardPainter& painter) {
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  settings.setValue(QStringLiteral("window/geometry"), window.saveGeometry());
  settings.setValue(QStringLiteral("window/state"), window.saveState());
  settings.setValue(QStringLiteral("board/texture"), QString::fromStdString(painter.Texture));
}
