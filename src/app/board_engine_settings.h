#pragma once
// The outside engine at the board and the time control, kept between runs
// with QSettings: set in the options, read when the window opens.
#include "game/game_clock.h"
#include "jobs/outside_player.h"

COutsidePlayerSettings LoadOutsidePlayerSettings();
void SaveOutsidePlayerSettings(const COutsidePlayerSettings& settings);

CTimeControl LoadTimeControl();
void SaveTimeControl(const CTimeControl& control);
