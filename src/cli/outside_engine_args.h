#pragma once
// Command-line pieces shared by the commands that drive an outside engine
// program (match, train-games, check): its options.
#include <string>
#include <vector>

#include "jobs/ucci_engine_process.h"
#include "number_option.h"

// Takes args[i] (and its value) when it is --engine-option NAME=VALUE or
// --protocol auto|ucci|uci. 1 when taken (i on the value), 0 when it is not
// one of these, -1 after printing an error for the command.
int TakeOutsideEngineArg(const char* command, const std::vector<std::string>& args, size_t& i,
                         COutsideEngineSettings& settings);

// The help text lines for the options above.
#define OUTSIDE_ENGINE_ARGS_HELP                                                              \
  "\n  --engine-option NAME=VALUE  a \"setoption\" line for the engine (repeatable), e.g.\n" \
  "                       Skill_Level=-10, UCI_LimitStrength=true, UCI_Elo=1800\n"         \
  "  --protocol P         auto (default: UCCI, else UCI), ucci or uci"
