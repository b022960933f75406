// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmo::cli {

// What velmo status tells: the port, its register, and each program on it.
struct StatusReport {
  std::string target;  // canonical port target, "" for the default register
  std::string registerPath;
  std::uint8_t registerByte = 0;
  std::optional<unsigned> pattern;  // the chaser's, 0 to 3; none when it does not run
  std::optional<unsigned>
      lines;  // the switch panel's, bit N-1 for line N; none when it does not run
};

// For people, one line per item, ending in '\n':
//   port         default (register /run/user/1000/velmo/port-888)
//   register     0x81  129  10000001
//   chaser       running: Løpelys 1
//   switchpanel  running: lines 10000001, on: 1 8
std::string statusText(const StatusReport& report);

// For machines, one JSON object on one line, ending in '\n':
// {"chaser":{"pattern":1,"running":true},"register":129,
//  "switchpanel":{"lines":129,"running":true},"target":""}
// A program that does not run has "running": false and null for its value.
std::string statusJson(const StatusReport& report);

}  // namespace velmo::cli
