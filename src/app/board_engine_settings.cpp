#include "app/board_engine_settings.h"

#include <QSettings>
#include <algorithm>

COutsidePlayerSettings LoadOutsidePlayerSettings() {
  const QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  COutsidePlayerSettings loaded;
  const int seat = settings.value(QStringLiteral("outside/seat"), 0).toInt();
  loaded.Seat = seat == 1 ? COutsideSeat::Red : seat == 2 ? COutsideSeat::Black : COutsideSeat::None;
  loaded.Engine.Command =
      settings.value(QStringLiteral("outside/command"), QString::fromStdString(loaded.Engine.Command))
          .toString()
          .toStdString();
  loaded.Engine.MoveTimeMs = settings.value(QStringLiteral("outside/movetime"), loaded.Engine.MoveTimeMs).toInt();
  if (loaded.Engine.MoveTimeMs <= 0) loaded.Engine.MoveTimeMs = COutsideEngineSettings().MoveTimeMs;
  std::string bad;
  if (!ParseEngineOptions(settings.value(QStringLiteral("outside/options")).toString().toStdString(),
                          loaded.Engine.Options, bad))
    loaded.Engine.Options.clear();
  return loaded;
}

void SaveOutsidePlayerSettings(const COutsidePlayerSettings& saved) {
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  const int seat = saved.Seat == COutsideSeat::Red ? 1 : saved.Seat == COutsideSeat::Black ? 2 : 0;
  settings.setValue(QStringLiteral("outside/seat"), seat);
  settings.setValue(QStringLiteral("outside/command"), QString::fromStdString(saved.Engine.Command));
  settings.setValue(QStringLiteral("outside/movetime"), saved.Engine.MoveTimeMs);
  settings.setValue(QStringLiteral("outside/options"),
                    QString::fromStdString(EngineOptionsText(saved.Engine.Options)));
}

CTimeControl LoadTimeControl() {
  const QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  CTimeControl control;
  control.Minutes = std::max(0, settings.value(QStringLiteral("clock/minutes"), 0).toInt());
  control.IncrementSeconds = std::max(0, settings.value(QStringLiteral("clock/increment"), 0).toInt());
  return control;
}

void SaveTimeControl(const CTimeControl& control) {
  QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
  settings.setValue(QStringLiteral("clock/minutes"), control.Minutes);
  settings.setValue(QStringLiteral("clock/increment"), control.IncrementSeconds);
}
