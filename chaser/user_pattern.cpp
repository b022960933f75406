// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/user_pattern.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <optional>

#include "ini/text_encoding.h"

namespace velmo::chaser {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kSectionPrefix = "pattern";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::vector<std::string_view> items(std::string_view list) {
  std::vector<std::string_view> found;
  for (std::size_t start = 0;;) {
    const auto comma = list.find(',', start);
    found.push_back(trimmed(list.substr(start, comma - start)));
    if (comma == std::string_view::npos) return found;
    start = comma + 1;
  }
}

// A whole number in base, digits only, at most max.
std::optional<int> numberOf(std::string_view digits, int base, int max) {
  int value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  if (value < 0 || value > max) return std::nullopt;
  return value;
}

std::optional<int> byteOf(std::string_view item) {
  if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) {
    return numberOf(item.substr(2), 16, 255);
  }
  if (!item.empty() && item[0] == '+') return std::nullopt;
  return numberOf(item, 10, 255);
}

std::optional<int> stepTimeOf(std::string_view item) {
  if (!item.empty() && item[0] == '+') return std::nullopt;
  const std::optional<int> time = numberOf(item, 10, UserPattern::kMaxStepTime);
  if (time && *time == 0) return std::nullopt;
  return time;
}

class Report {
 public:
  Report(const std::string& path, int number) : path_(path), section_(userPatternSection(number)) {}
  std::string operator()(const char* key, std::string_view value, const std::string& what) const {
    constexpr std::size_t kShown = 80;  // of a long value, enough to find it by
    const std::string shown =
        value.size() > kShown ? std::string(value.substr(0, kShown)) + "…" : std::string(value);
    return path_ + " [" + section_ + "] " + key + " = " + withVisibleControls(shown) + ": " + what;
  }

 private:
  const std::string& path_;
  std::string section_;
};

const std::string kValidSteps =
    "each step is a byte, 0 to 255 or 0x00 to 0xFF, separated by commas";
const std::string kValidTimes = "a step time is 1 to 65535 ms, one for every step or one per step";

}  // namespace

double UserPattern::meanStepTime() const {
  if (times.empty()) return 0;
  return std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
}

std::string userPatternSection(int number) {
  return std::string(kSectionPrefix) + std::to_string(number);
}

int userPatternNumberOf(std::string_view sectionName) {
  if (sectionName.size() <= kSectionPrefix.size()) return 0;
  for (std::size_t i = 0; i < kSectionPrefix.size(); ++i) {
    const char c = sectionName[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kSectionPrefix[i]) return 0;
  }
  const int number = patternNumberOf(sectionName.substr(kSectionPrefix.size()));
  return number >= UserPattern::kFirstNumber ? number : 0;
}

int patternNumberOf(std::string_view digits) {
  if (digits.empty() || digits[0] == '0') return 0;
  return numberOf(digits, 10, UserPattern::kLastNumber).value_or(0);
}

std::variant<UserPattern, std::string> parseUserPattern(int number, const PatternValues& values,
                                                        const std::string& path) {
  const Report report(path, number);
  UserPattern pattern;
  pattern.number = number;
  pattern.name = values.name.empty() ? userPatternSection(number) : values.name;
  for (const auto& [key, value] :
       {std::pair{kPatternStepsKey, &values.steps}, std::pair{kPatternTimeKey, &values.time}}) {
    if (value->size() > UserPattern::kMaxValueLength) {
      return report(key, *value,
                    "longer than " + std::to_string(UserPattern::kMaxValueLength) +
                        " characters: a pattern has at most " +
                        std::to_string(UserPattern::kMaxSteps) + " steps");
    }
  }
  if (trimmed(values.steps).empty()) {
    return report(kPatternStepsKey, values.steps, "a pattern needs steps: " + kValidSteps);
  }
  for (const std::string_view item : items(values.steps)) {
    const std::optional<int> byte = byteOf(item);
    if (!byte) {
      return report(kPatternStepsKey, values.steps,
                    "\"" + withVisibleControls(item) + "\" is not a step: " + kValidSteps);
    }
    pattern.steps.push_back(static_cast<std::uint8_t>(*byte));
  }
  if (pattern.steps.size() > UserPattern::kMaxSteps) {
    return report(kPatternStepsKey, values.steps,
                  std::to_string(pattern.steps.size()) + " steps: a pattern has at most " +
                      std::to_string(UserPattern::kMaxSteps));
  }
  if (trimmed(values.time).empty()) {
    return report(kPatternTimeKey, values.time, "the step time is missing: " + kValidTimes);
  }
  for (const std::string_view item : items(values.time)) {
    const std::optional<int> time = stepTimeOf(item);
    if (!time) {
      return report(kPatternTimeKey, values.time,
                    "\"" + withVisibleControls(item) + "\" is not a step time: " + kValidTimes);
    }
    pattern.times.push_back(*time);
  }
  if (pattern.times.size() == 1) pattern.times.resize(pattern.steps.size(), pattern.times[0]);
  if (pattern.times.size() != pattern.steps.size()) {
    return report(kPatternTimeKey, values.time,
                  std::to_string(pattern.times.size()) + " step times for " +
                      std::to_string(pattern.steps.size()) + " steps: " + kValidTimes);
  }
  return pattern;
}

PatternValues valuesOf(const UserPattern& pattern) {
  const auto join = [](const auto& numbers) {
    std::string text;
    for (const auto n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
  };
  const bool oneTime = std::all_of(pattern.times.begin(), pattern.times.end(),
                                   [&](int t) { return t == pattern.times.front(); });
  return {pattern.name, join(pattern.steps),
          oneTime && !pattern.times.empty() ? std::to_string(pattern.times.front())
                                            : join(pattern.times)};
}

}  // namespace velmo::chaser
