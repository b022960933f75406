// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/usage.h"

#include <algorithm>
#include <charconv>
#include <variant>

#include "schedule/time_zone.h"
#include "tools/velmo/command.h"

namespace velmo::cli {

bool isLocalTimeText(std::string_view value) {
  return schedule::parseLocalText(value).has_value();
}

bool isDayCount(std::string_view value) {
  unsigned count = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
  return !value.empty() && error == std::errc() && end == value.data() + value.size() &&
         count >= 1 && count <= 366;
}

std::string checkCommandLine(const CommandLineRequest& request) {
  const auto given = [&](const ProgramOption& option) {
    return std::ranges::find(request.options, option.name) != request.options.end();
  };
  const auto command = readCommand(request.operands, given(kJsonOption));
  if (const std::string* problem = std::get_if<std::string>(&command)) return *problem;
  if ((given(kFromOption) || given(kDaysOption)) &&
      std::get<Command>(command).action != Action::kScheduleList)
    return "--from and --days go with schedule list only";
  return "";
}

}  // namespace velmo::cli
