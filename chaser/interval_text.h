// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmo::chaser {

// Reads the number at the start of a step-time text and rounds it to a whole
// number, the way the chaser turns its settings into timer intervals:
//  - blanks and tabs are skipped wherever they stand, also between digits;
//  - a decimal number: optional sign, digits, optional point and digits,
//    optional exponent (E or D, either case, optional sign, digits); the point
//    is always the decimal separator;
//  - &H (hexadecimal) or &O (octal), either case: a value written with up to
//    4 hexadecimal or 6 octal digits that fits 16 bits is a signed 16-bit
//    number (&HFFFF is -1), any other value up to 32 bits a signed 32-bit
//    number (&H10000 is 65536, &HFFFFFFFF is -1);
//  - reading stops at the first character that cannot continue the number,
//    and text without a number gives 0;
//  - the value is rounded to the nearest whole number, halves to the even one
//    (250.5 gives 250, 251.5 gives 252).
// Returns nullopt (overflow) when the result, or a hexadecimal or octal
// value, does not fit a signed 32-bit integer. Exact for any input length
// and exponent.
std::optional<std::int32_t> intervalFromText(std::string_view text);

}  // namespace velmo::chaser
