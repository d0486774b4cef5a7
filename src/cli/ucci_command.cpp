// tarvo-cli ucci: the engine on standard input and output, UCCI protocol.
#include <iostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "engine/ucci_session.h"

namespace {

int RunUcci(const std::vector<std::string>& args) {
  if (!args.empty()) return CliError("ucci: takes no arguments");
  std::ios::sync_with_stdio(false);
  CUcciSession session(std::cout, CProtocol::Ucci);
  session.Run(std::cin);
  return 0;
}

const CliCommand kUcci {"ucci", "",
                        "Runs the engine under the UCCI protocol on standard input and output\n"
                        "(ucci, isready, setoption, position, banmoves, probe, go depth|nodes|mate|time|\n"
                        "movetime|infinite, stop, quit). Times are in seconds unless 'setoption usemillisec true'.",
                        RunUcci};

}  // namespace
