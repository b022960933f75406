// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/usage.h"

#include <algorithm>
#include <variant>

#include "tools/velmo/command.h"

namespace velmo::cli {

std::string checkCommandLine(const CommandLineRequest& request) {
  const bool json = std::ranges::find(request.options, kJsonOption.name) != request.options.end();
  const auto command = readCommand(request.operands, json);
  const std::string* problem = std::get_if<std::string>(&command);
  return problem ? *problem : "";
}

}  // namespace velmo::cli
