#pragma once
// Each command of tarvo-cli registers itself from its own file:
//   static const CliCommand kPerft{"perft", "DEPTH [FEN] [--divide]", "summary", RunPerft};
#include <string>
#include <vector>

using CliHandler = int (*)(const std::vector<std::string>& args);

struct CliCommand {
  CliCommand(const char* name, const char* usage, const char* summary, CliHandler handler);
  const char* Name;
  const char* Usage;
  const char* Summary;
  CliHandler Handler;
};

const std::vector<const CliCommand*>& AllCliCommands();

// Prints "tarvo-cli NAME USAGE" and the summary to standard output.
void PrintCommandHelp(const CliCommand& command);
// Prints an error line to standard error and returns exit status 1.
int CliError(const std::string& message);
// True when the arguments ask for help.
bool WantsHelp(const std::vector<std::string>& args);
