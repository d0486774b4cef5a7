// tarvo-cli: every job of the program without a window.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/exe_path.h"

namespace {

std::vector<const CliCommand*>& Registry() {
  static std::vector<const CliCommand*> commands;
  return commands;
}

// A command's summary may run over several lines; the overview shows its
// first sentence on one line, shortened at a word when it is long.
std::string FirstSentence(const char* summary) {
  std::string text(summary);
  size_t stop = 0;
  for (;; ++stop) {
    stop = text.find('.', stop);
    if (stop == std::string::npos || stop + 1 >= text.size()) break;
    const bool ends = text[stop + 1] == ' ' || text[stop + 1] == '\n';
    const bool abbreviation = stop >= 3 && (text.compare(stop - 3, 3, "e.g") == 0 || text.compare(stop - 3, 3, "i.e") == 0);
    if (ends && !abbreviation) break;
  }
  if (stop != std::string::npos) text = text.substr(0, stop);
  for (char& c : text)
    if (c == '\n') c = ' ';
  constexpr size_t kWidth = 66;
  if (text.size() > kWidth) {
    const size_t space = text.rfind(' ', kWidth);
    text = text.substr(0, space == std::string::npos ? kWidth : space) + " ...";
  }
  return text;
}

void PrintUsage() {
  std::printf(
      "Usage: tarvo-cli COMMAND [ARGS...]\n"
      "Tarvo, a Chinese chess (xiangqi) program: the engine and its jobs on the command line.\n"
      "\n"
      "Commands:\n");
  for (const CliCommand* command : Registry())
    std::printf("  %-12s %s\n", command->Name, FirstSentence(command->Summary).c_str());
  std::printf(
      "\n"
      "'tarvo-cli COMMAND --help' describes one command.\n"
      "Data files (keys, book, networks) live beside the executable, or in the folder\n"
      "named by the environment variable TARVO_HOME.\n");
}

}  // namespace

CliCommand::CliCommand(const char* name, const char* usage, const char* summary, CliHandler handler)
    : Name(name), Usage(usage), Summary(summary), Handler(handler) {
  auto& commands = Registry();
  auto at = commands.begin();
  while (at != commands.end() && std::strcmp((*at)->Name, name) < 0) ++at;
  commands.insert(at, this);
}

const std::vector<const CliCommand*>& AllCliCommands() { return Registry(); }

void PrintCommandHelp(const CliCommand& command) {
  std::printf("Usage: tarvo-cli %s %s\n%s\n", command.Name, command.Usage, command.Summary);
}

int CliError(const std::string& message) {
  std::fprintf(stderr, "tarvo-cli: %s\n", message.c_str());
  return 1;
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& arg : args)
    if (arg == "--help" || arg == "-h") return true;
  return false;
}

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintUsage();
    return argc < 2 ? 1 : 0;
  }
  for (const CliCommand* command : Registry()) {
    if (std::strcmp(command->Name, argv[1]) != 0) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    if (WantsHelp(args)) {
      PrintCommandHelp(*command);
      return 0;
    }
    if (!ExePathProblem().empty()) return CliError(ExePathProblem());
    ShowNoticesOnStandardError();
    return command->Handler(args);
  }
  std::fprintf(stderr, "tarvo-cli: unknown command '%s'\n", argv[1]);
  PrintUsage();
  return 1;
}
