// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/pattern_save.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ini/section_rewrite.h"
#include "system/paths.h"
#include "system/safe_file.h"

namespace velmo::chaser {
namespace {

// What a file of the user's own starts with, so that whoever finds it knows
// what it does.
constexpr std::string_view kUserFileHead =
    "; The chaser's patterns of your own (see velmo-chaser(1)). While this file\n"
    "; exists, the patterns come from it and not from Velmo1.ini.\n";

SectionEntries sectionOf(const UserPattern& pattern) {
  const PatternValues values = valuesOf(pattern);
  return {userPatternSection(pattern.number),
          {{kPatternNameKey, values.name},
           {kPatternStepsKey, values.steps},
           {kPatternTimeKey, values.time}}};
}

}  // namespace

std::string withPatterns(std::string_view fileBytes, const std::vector<UserPattern>& patterns,
                         const std::vector<int>& keptNumbers) {
  std::vector<SectionEntries> sections;
  for (const UserPattern& pattern : patterns) sections.push_back(sectionOf(pattern));
  return rewriteSections(
      fileBytes,
      [&](std::string_view name) {
        const int number = userPatternNumberOf(name);
        return number != 0 &&
               std::find(keptNumbers.begin(), keptNumbers.end(), number) == keptNumbers.end();
      },
      sections);
}

PatternDocument PatternDocument::open(const PatternPlaces& places) {
  PatternDocument document{places, patternFileToRead(places), std::nullopt, {}};
  document.bytes = readWholeFile(document.path);
  document.loaded = loadUserPatternsFromBytes(document.bytes.value_or(""), document.path);
  return document;
}

void PatternDocument::save(const std::vector<UserPattern>& patterns) {
  const std::string target = patternFileToWrite(places);
  std::optional<std::string> old = bytes;
  std::string base = bytes.value_or("");
  std::vector<int> kept = loaded.badNumbers;
  if (target != path) {  // the user's own file, instead of a settings file we may not write
    old = readWholeFile(target);
    base = old.value_or(std::string(kUserFileHead));
    kept.clear();
    std::error_code ignored;
    std::filesystem::create_directories(folderOf(target), ignored);
  }
  const std::string saved = withPatterns(base, patterns, kept);
  replaceFileSafely(target, saved, old);
  path = target;
  bytes = saved;
  loaded = loadUserPatternsFromBytes(saved, target);
}

}  // namespace velmo::chaser
