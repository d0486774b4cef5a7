#pragma once
// The game object as the command-line jobs use it.
#include <memory>
#include <string>

#include "game/game.h"

// A game object on the heap (it is megabytes), with the rule and notation
// tables built. withVoice false gives a game without a voice.
std::unique_ptr<CGame> MakeCliGame(bool withVoice);

// Player names and other tags, GB2312 -> UTF-8 for the terminal.
std::string ShowText(const std::string& gb2312);

// "红先胜", "红先和", "红先负" for a decided game, empty text otherwise.
const char* ResultText(const CGame& game);

// The whole text a decimal number from min to max, as a person types it: no
// sign, blank or other character. 1 with the value, 0 otherwise.
int ParseWholeNumber(const std::string& text, int min, int max, int& value);

// Shows every notice the core posts (data files set aside, regenerated or read
// in part) on standard error from now on, those kept so far first.
void ShowNoticesOnStandardError();
