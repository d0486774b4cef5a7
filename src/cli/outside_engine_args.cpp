#include "outside_engine_args.h"

#include "cli_command.h"

int TakeOutsideEngineArg(const char* command, const std::vector<std::string>& args, size_t& i,
                         COutsideEngineSettings& settings) {
  const std::string& arg = args[i];
  if (arg != "--engine-option" && arg != "--protocol") return 0;
  if (i + 1 >= args.size()) {
    CliError(std::string(command) + ": " + arg + " needs a value");
    return -1;
  }
  const std::string& value = args[++i];
  if (arg == "--protocol") {
    if (value == "auto") settings.Protocol = COutsideProtocol::Auto;
    else if (value == "ucci") settings.Protocol = COutsideProtocol::Ucci;
    else if (value == "uci") settings.Protocol = COutsideProtocol::Uci;
    else {
      CliError(std::string(command) + ": --protocol takes auto, ucci or uci");
      return -1;
    }
    return 1;
  }
  const size_t equals = value.find('=');
  if (equals == std::string::npos || equals == 0 || value.find_first_of(" \t\r\n") < equals ||
      value.find_first_of("\r\n") != std::string::npos) {
    CliError(std::string(command) + ": --engine-option takes NAME=VALUE, not '" + value + "'");
    return -1;
  }
  settings.Options.emplace_back(value.substr(0, equals), value.substr(equals + 1));
  return 1;
}
