// tarvo-cli uci: the engine on standard input and output, UCI protocol.
#include <iostream>
#include <string>
#include <vector>

#include "cli_command.h"
#include "engine/ucci_session.h"

namespace {

int RunUci(const std::vector<std::string>& args) {
  if (!args.empty()) return CliError("uci: takes no arguments");
  std::ios::sync_with_stdio(false);
  CUcciSession session(std::cout, CProtocol::Uci);
  session.Run(std::cin);
  return 0;
}

const CliCommand kUci {"uci", "",
                       "Runs the engine under the UCI protocol on standard input and output; moves use\n"
                       "ranks 1..10 as UCI xiangqi programs do (go wtime/btime/winc/binc/movetime/depth/nodes/mate).",
                       RunUci};

}  // namespace
