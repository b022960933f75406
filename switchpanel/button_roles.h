// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "port/port_lines.h"

namespace velmo::switchpanel {

// The sixteen buttons of the panel, Command1 ... Command16, come in eight
// pairs, one per output line: the odd-numbered button of a pair switches its
// line on (top row), the even-numbered one switches it off (bottom row).
inline constexpr int kButtonCount = 16;
inline constexpr int kLineCount = static_cast<int>(port::kLineCount);

// Output line 1..8 of button 1..16.
constexpr int lineOfButton(int button) {
  return (button + 1) / 2;
}

// True for the buttons that switch their line on (odd numbers).
constexpr bool isActivateButton(int button) {
  return button % 2 == 1;
}

// The pair of line 1..8.
constexpr int activateButtonOf(int line) {
  return 2 * line - 1;
}
constexpr int deactivateButtonOf(int line) {
  return 2 * line;
}

// The port bit of line 1..8: 1, 2, 4 ... 128.
constexpr int bitValueOf(int line) {
  return 1 << (line - 1);
}

// Where button 1..16 finds its caption in Velmo.ini: section "Utgang<line>høy"
// for an activate button, "Utgang<line>lav" for a deactivate button (UTF-8);
// key "command<button>".
std::string captionSection(int button);
std::string captionKey(int button);

// The caption each button carries before the settings file labels it.
const std::string& designCaption(int button);

}  // namespace velmo::switchpanel
