// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace velmo {

// Tells text to whoever watches the program's standard error: one line,
// after the name the program was started by ("velmo-chaser: ..."), with the
// text's line breaks made spaces, written at once.
void tellOnStandardError(std::string_view text);

}  // namespace velmo
