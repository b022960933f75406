// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/standard_error.h"

#include <errno.h>  // program_invocation_short_name

#include <algorithm>
#include <cstdio>
#include <string>

namespace velmo {

void tellOnStandardError(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
  std::fflush(stderr);
}

}  // namespace velmo
