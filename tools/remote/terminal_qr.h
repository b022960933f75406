// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::remote {

// text as a QR code drawn for a terminal: two rows of modules a line, in
// Unicode half blocks, light modules and a quiet zone of blocks, dark ones
// blank, so that it reads on a dark terminal and, inverted, on a light one.
// Empty when text does not fit in a QR code.
std::string terminalQr(const std::string& text);

}  // namespace velmo::remote
