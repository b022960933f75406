// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chaser/user_pattern.h"

namespace velmo::chaser {

// The user's patterns as a settings file holds them.
struct LoadedPatterns {
  std::string path;                   // the file read
  std::vector<UserPattern> patterns;  // the good ones, in number order
  std::vector<int> badNumbers;        // sections left out, in number order
  std::vector<std::string> problems;  // one report for each of them
};

// Reads the sections pattern4 ... pattern99 of the settings file at path
// through the settings reader (a section of a number counts once, as the
// reader sees only its first). A missing file holds no patterns.
LoadedPatterns loadUserPatterns(const std::string& path);

// The same from the bytes of a file read before; path names it in reports.
LoadedPatterns loadUserPatternsFromBytes(std::string_view bytes, const std::string& path);

// The file name of the user's own patterns, in their settings folder
// (userSettingsFolder(), system/paths.h).
inline constexpr const char* kUserPatternFile = "patterns.ini";

// Where patterns are kept: the chaser's settings file in the program
// folder, and the file of the user's own for when that folder cannot be
// written (as /opt/velmo of an installed chaser).
struct PatternPlaces {
  std::string settings;  // <program folder>/Velmo1.ini
  std::string user;      // <user's config folder>/patterns.ini; "" for none
};

// The file the patterns come from: the user's own when it exists, else the
// settings file.
std::string patternFileToRead(const PatternPlaces& places);

// The file an editor saves into: the one the patterns come from, unless that
// is the settings file and the user may not replace it (a folder or file that
// cannot be written), when it is the user's own, which then wins.
std::string patternFileToWrite(const PatternPlaces& places);

}  // namespace velmo::chaser
