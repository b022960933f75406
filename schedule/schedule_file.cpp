// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/schedule_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <initializer_list>
#include <optional>
#include <stdexcept>

#include "ini/file_byte_source.h"
#include "ini/profile_reader.h"
#include "system/ascii_case.h"
#include "system/errno_text.h"
#include "system/paths.h"

namespace velmo::schedule {
namespace {

constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr std::size_t kValueBufferSize = 255;  // as the programs read their settings
constexpr int kMaxOffsetMinutes = 720;
constexpr std::string_view kPlaceSection = "place";

constexpr std::string_view kTimeRule =
    "a time is HH:MM (00:00 to 23:59), or sunrise or sunset with an optional +MIN or -MIN "
    "(0 to 720 minutes)";
constexpr std::string_view kDaysRule =
    "days is daily or a comma list of mon, tue, wed, thu, fri, sat, sun";
constexpr std::string_view kPatternRule = "pattern is a pattern number of the chaser, 1 or more";
constexpr std::string_view kLinesRule = "lines is a byte, 0 to 255, bit N-1 for line N";
constexpr std::string_view kLatitudeRule =
    "latitude is -90 to 90 degrees, north positive, with a point for decimals (59.91)";
constexpr std::string_view kLongitudeRule =
    "longitude is -180 to 180 degrees, east positive, with a point for decimals (10.75)";

// What is wrong with the file, as parseSchedule tells it.
struct Problem : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool sameName(std::string_view a, std::string_view b) {
  return asciiLowercase(a) == asciiLowercase(b);
}

// One section of the file, its values looked up by the settings reader.
class SectionReader {
 public:
  SectionReader(std::string_view bytes, const std::string& fileName, const ProfileSection& section)
      : bytes_(bytes), fileName_(fileName), section_(section) {}

  const std::string& name() const { return section_.name; }

  std::optional<std::string> value(std::string_view key) const {
    const auto& keys = section_.keys;
    if (std::ranges::none_of(keys, [&](const std::string& each) { return sameName(each, key); }))
      return std::nullopt;
    return profileStringFromBytes(bytes_, section_.name, key, "", kValueBufferSize);
  }

  // Refuses any key but those given.
  void onlyKeys(std::initializer_list<std::string_view> known, std::string_view rule) const {
    for (const std::string& key : section_.keys) {
      if (std::ranges::none_of(known, [&](std::string_view each) { return sameName(each, key); }))
        throw bad(key, *value(key), rule);
    }
  }

  Problem bad(std::string_view key, std::string_view value, std::string_view rule) const {
    return Problem(where() + " " + std::string(key) + " = " + std::string(value) + ": " +
                   std::string(rule));
  }
  Problem missing(std::string_view key, std::string_view rule) const {
    return Problem(where() + " " + std::string(key) + " is missing: " + std::string(rule));
  }
  Problem bad(std::string_view rule) const { return Problem(where() + ": " + std::string(rule)); }

  // The value of key read by parse, which gives nothing for a value it does
  // not take; nothing when the key is missing.
  template <typename Parse>
  auto read(std::string_view key, std::string_view rule, Parse parse) const
      -> decltype(parse(std::string_view())) {
    const std::optional<std::string> text = value(key);
    if (!text) return std::nullopt;
    auto parsed = parse(*text);
    if (!parsed) throw bad(key, *text, rule);
    return parsed;
  }

 private:
  std::string where() const { return fileName_ + " [" + section_.name + "]"; }

  std::string_view bytes_;
  const std::string& fileName_;
  const ProfileSection& section_;
};

// Digits only: no sign, no blanks.
std::optional<long> wholeNumber(std::string_view text, long low, long high) {
  if (text.empty() || text.size() > 10 ||
      !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (number < low || number > high) return std::nullopt;
  return number;
}

std::optional<double> degrees(std::string_view text, double limit) {
  if (text.starts_with('+')) text.remove_prefix(1);
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!(number >= -limit && number <= limit)) return std::nullopt;
  return number;
}

std::optional<ShowTime> clockTime(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
    return std::nullopt;
  const auto hours = wholeNumber(text.substr(0, colon), 0, 23);
  const auto minutes = wholeNumber(text.substr(colon + 1), 0, 59);
  if (!hours || !minutes) return std::nullopt;
  return ShowTime{ShowTime::Base::kClock, static_cast<int>(*hours * 60 + *minutes)};
}

std::optional<ShowTime> showTime(std::string_view text) {
  for (const auto& [name, base] :
       {std::pair{std::string_view("sunrise"), ShowTime::Base::kSunrise},
        std::pair{std::string_view("sunset"), ShowTime::Base::kSunset}}) {
    if (text.size() < name.size() || !sameName(text.substr(0, name.size()), name)) continue;
    std::string offset(text.substr(name.size()));
    std::erase(offset, ' ');
    if (offset.empty()) return ShowTime{base, 0};
    if (offset[0] != '+' && offset[0] != '-') return std::nullopt;
    const auto minutes = wholeNumber(std::string_view(offset).substr(1), 0, kMaxOffsetMinutes);
    if (!minutes) return std::nullopt;
    return ShowTime{base, static_cast<int>(offset[0] == '-' ? -*minutes : *minutes)};
  }
  return clockTime(text);
}

std::optional<std::uint8_t> dayList(std::string_view text) {
  if (sameName(text, "daily")) return 0x7F;
  std::uint8_t days = 0;
  while (true) {
    const auto comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    const auto* found =
        std::ranges::find_if(kDayNames, [&](const char* day) { return sameName(day, item); });
    if (found == std::end(kDayNames)) return std::nullopt;
    days |= static_cast<std::uint8_t>(1u << (found - std::begin(kDayNames)));
    if (comma == std::string_view::npos) return days;
    text.remove_prefix(comma + 1);
  }
}

Place readPlace(const SectionReader& section) {
  section.onlyKeys({"latitude", "longitude"}, "[place] takes latitude and longitude");
  const auto latitude = section.read("latitude", kLatitudeRule,
                                     [](std::string_view text) { return degrees(text, 90); });
  const auto longitude = section.read("longitude", kLongitudeRule,
                                      [](std::string_view text) { return degrees(text, 180); });
  if (!latitude) throw section.missing("latitude", kLatitudeRule);
  if (!longitude) throw section.missing("longitude", kLongitudeRule);
  return {*latitude, *longitude};
}

ShowTime readTime(const SectionReader& section, std::string_view key, bool havePlace) {
  const auto time = section.read(key, kTimeRule, showTime);
  if (!time) throw section.missing(key, kTimeRule);
  if (time->base != ShowTime::Base::kClock && !havePlace)
    throw section.bad(key, *section.value(key),
                      "sun times need the section [place] with latitude and longitude");
  return *time;
}

Show readShow(const SectionReader& section, bool havePlace) {
  section.onlyKeys({"days", "start", "stop", "pattern", "lines"},
                   "a show takes days, start, stop, pattern or lines");
  Show show;
  show.name = section.name();
  if (const auto days = section.read("days", kDaysRule, dayList)) show.days = *days;
  show.start = readTime(section, "start", havePlace);
  show.stop = readTime(section, "stop", havePlace);
  if (show.stop == show.start)
    throw section.bad("stop", *section.value("stop"), "the stop must differ from the start");
  const auto pattern = section.read("pattern", kPatternRule, [](std::string_view text) {
    return wholeNumber(text, 1, 4294967295L);
  });
  const auto lines = section.read("lines", kLinesRule,
                                  [](std::string_view text) { return wholeNumber(text, 0, 255); });
  if (pattern && lines)
    throw section.bad("lines", *section.value("lines"),
                      "a show runs a pattern or sets the lines, not both");
  if (!pattern && !lines)
    throw section.bad(
        "a show needs pattern=N (a pattern of the chaser) or lines=BYTE "
        "(the switch panel's lines)");
  show.kind = pattern ? Show::Kind::kPattern : Show::Kind::kLines;
  show.value = static_cast<unsigned>(pattern ? *pattern : *lines);
  return show;
}

}  // namespace

std::variant<Schedule, std::string> parseSchedule(std::string_view bytes,
                                                  const std::string& fileName) {
  try {
    const std::vector<ProfileSection> sections = profileSectionsFromBytes(bytes);
    Schedule schedule;
    for (const ProfileSection& section : sections) {
      if (sameName(section.name, kPlaceSection))
        schedule.place = readPlace(SectionReader(bytes, fileName, section));
    }
    for (const ProfileSection& section : sections) {
      if (!sameName(section.name, kPlaceSection))
        schedule.shows.push_back(
            readShow(SectionReader(bytes, fileName, section), schedule.place.has_value()));
    }
    return schedule;
  } catch (const Problem& problem) {
    return std::string(problem.what());
  }
}

std::variant<Schedule, std::string> readScheduleFile(const std::string& path) {
  const auto source = FileByteSource::open(path);
  if (!source) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return "cannot read " + path + ": " + errnoText(errno);
    return "cannot read " + path + ": " +
           (S_ISREG(status.st_mode) ? errnoText(EACCES) : "it is not a regular file");
  }
  std::string bytes;
  for (std::string_view piece = source->next(); !piece.empty(); piece = source->next()) {
    bytes += piece;
    if (bytes.size() > kMaxFileBytes)
      return path + " is over 1 MiB: a schedule is a short text file";
  }
  if (source->failed()) return "cannot read " + path + ": " + errnoText(errno);
  return parseSchedule(bytes, path);
}

std::string defaultSchedulePath() {
  const std::string folder = userSettingsFolder();
  return folder.empty() ? "" : folder + "/schedule.ini";
}

}  // namespace velmo::schedule
