// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/pattern_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <variant>

#include "ini/file_byte_source.h"
#include "ini/profile_reader.h"
#include "ini/profile_search.h"
#include "ini/settings.h"
#include "system/paths.h"

namespace velmo::chaser {
namespace {

// Room for the longest value and one character more, which tells a longer one.
constexpr std::size_t kValueBufferSize = UserPattern::kMaxValueLength + 2;

bool isRegularFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool mayReplace(const std::string& path) {
  const bool fileOk = access(path.c_str(), W_OK) == 0 || errno == ENOENT;
  return fileOk && access(folderOf(path).c_str(), W_OK | X_OK) == 0;
}

using ValueReader = std::function<std::string(const std::string& section, const char* key)>;

LoadedPatterns load(const std::vector<ProfileSection>& sections, const ValueReader& read,
                    const std::string& path) {
  LoadedPatterns loaded{path, {}, {}, {}};
  std::vector<int> numbers;
  for (const ProfileSection& section : sections) {
    if (const int number = userPatternNumberOf(section.name)) numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const int number : numbers) {
    const std::string section = userPatternSection(number);
    auto parsed = parseUserPattern(number,
                                   {read(section, kPatternNameKey), read(section, kPatternStepsKey),
                                    read(section, kPatternTimeKey)},
                                   path);
    if (auto* pattern = std::get_if<UserPattern>(&parsed)) {
      loaded.patterns.push_back(std::move(*pattern));
    } else {
      loaded.badNumbers.push_back(number);
      loaded.problems.push_back(std::get<std::string>(parsed));
    }
  }
  return loaded;
}

}  // namespace

LoadedPatterns loadUserPatterns(const std::string& path) {
  const auto file = FileByteSource::open(path);
  return load(
      file ? listProfileSections(*file) : std::vector<ProfileSection>{},
      [&](const std::string& section, const char* key) {
        return GetPrivateProfileString(section, key, "", kValueBufferSize, path);
      },
      path);
}

LoadedPatterns loadUserPatternsFromBytes(std::string_view bytes, const std::string& path) {
  return load(
      profileSectionsFromBytes(bytes),
      [&](const std::string& section, const char* key) {
        return profileStringFromBytes(bytes, section, key, "", kValueBufferSize);
      },
      path);
}

std::string patternFileToRead(const PatternPlaces& places) {
  return !places.user.empty() && isRegularFile(places.user) ? places.user : places.settings;
}

std::string patternFileToWrite(const PatternPlaces& places) {
  const std::string read = patternFileToRead(places);
  if (read == places.settings && !places.user.empty() && !mayReplace(read)) return places.user;
  return read;
}

}  // namespace velmo::chaser
