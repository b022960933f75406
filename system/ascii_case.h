// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo {

// text with A to Z made a to z and every other byte as it is, whatever the
// locale: for names that protocols and files compare without case.
inline std::string asciiLowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return lower;
}

}  // namespace velmo
