// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dbus/chaser_facts.h"

namespace velmo::chaser {

// A pattern of the user's own, from a section "pattern<number>" of the
// settings: bytes written to the data port in turn and repeated, each one
// its step time after the one before (the first after the click, and after
// the last step in every later cycle).
struct UserPattern {
  static constexpr int kFirstNumber = 4;  // after the three built in
  static constexpr int kLastNumber = static_cast<int>(dbus::kLastPatternNumber);
  static constexpr int kMaxSteps = 1000;
  static constexpr int kMaxStepTime = 65535;  // ms; the shortest is 1
  // Longest steps or time value, in characters: kMaxSteps of "0xFF, ".
  static constexpr std::size_t kMaxValueLength = 6 * kMaxSteps;

  int number = kFirstNumber;
  std::string name;                 // the button's caption, UTF-8
  std::vector<std::uint8_t> steps;  // at least one
  std::vector<int> times;           // ms before each step; as many as steps

  bool operator==(const UserPattern&) const = default;

  // The mean step time in ms, the length of one cycle over its steps.
  double meanStepTime() const;
};

// The section and keys that hold user pattern number ("pattern4"; "name",
// "steps", "time").
std::string userPatternSection(int number);
inline constexpr const char* kPatternNameKey = "name";
inline constexpr const char* kPatternStepsKey = "steps";
inline constexpr const char* kPatternTimeKey = "time";

// The pattern number digits write: 1 to kLastNumber without leading zeros,
// or 0 for any other text.
int patternNumberOf(std::string_view digits);

// The number of a section named "pattern<N>" (in any case, N from
// kFirstNumber to kLastNumber without leading zeros), or 0 for any other name.
int userPatternNumberOf(std::string_view sectionName);

// The values of pattern number's keys as read from the settings file at
// path ("" for a key that is missing).
struct PatternValues {
  std::string name;
  std::string steps;
  std::string time;
};

// The pattern the values give: name as written, or the section name when it
// is empty; steps a comma list of bytes, each 0 to 255 or 0x00 to 0xFF; time
// one step time in ms (1 to 65535) for every step or a list as long as steps;
// blanks around items ignored; neither list longer than kMaxValueLength. Otherwise the report for
// the user, naming path, section, key and value and what is valid.
std::variant<UserPattern, std::string> parseUserPattern(int number, const PatternValues& values,
                                                        const std::string& path);

// The values that give pattern back: its name, its steps in decimal, and one
// step time when all are equal, else the list.
PatternValues valuesOf(const UserPattern& pattern);

}  // namespace velmo::chaser
