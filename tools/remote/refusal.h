// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::remote {

// A request or command that is not carried out: the HTTP status and a
// message for people that says what is wrong.
struct Refusal {
  int status;
  std::string message;

  bool operator==(const Refusal&) const = default;
};

}  // namespace velmo::remote
