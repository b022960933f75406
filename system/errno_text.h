// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <system_error>

namespace velmo {

// The system's text for an errno value ("No such file or directory").
inline std::string errnoText(int errnoValue) {
  return std::generic_category().message(errnoValue);
}

}  // namespace velmo
