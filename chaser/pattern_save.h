// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chaser/pattern_file.h"
#include "chaser/user_pattern.h"

namespace velmo::chaser {

// fileBytes with its pattern sections holding patterns: each pattern in its
// own section, every other pattern section gone, except those of keptNumbers
// (the sections that could not be read), which stay as they are; every other
// byte as it was (rewriteSections, ini/section_rewrite.h).
std::string withPatterns(std::string_view fileBytes, const std::vector<UserPattern>& patterns,
                         const std::vector<int>& keptNumbers);

// The patterns an editor works on, with the file they came from as it was
// read, so that saving changes only them and never overwrites someone
// else's change.
struct PatternDocument {
  PatternPlaces places;
  std::string path;                  // the file read
  std::optional<std::string> bytes;  // as read; nullopt when there was none
  LoadedPatterns loaded;

  // Reads the patterns from patternFileToRead(places). Throws
  // FileReplaceError when that file is there but cannot be read.
  static PatternDocument open(const PatternPlaces& places);

  // Saves patterns into patternFileToWrite(places) with replaceFileSafely
  // (the old file kept as .bak), making the folder of the user's own file
  // when it is missing, and takes the saved file as read. Throws
  // FileChangedError when the file was changed since it was read (open()
  // again to take that change), FileReplaceError when it cannot be written;
  // nothing is changed then.
  void save(const std::vector<UserPattern>& patterns);
};

}  // namespace velmo::chaser
