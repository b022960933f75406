// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chaser/chaser.h"
#include "ini/settings.h"
#include "tests/support/recording_port.h"
#include "timers/virtual_timeline.h"

namespace velmo::test {

// Folder of the example settings file, which gives each timer its
// Chaser::exampleInterval.
inline const std::string kExamplesFolder = VELMO_EXAMPLES_DIR;

// Folder of a test settings file under tests/data/chaser.
inline std::string testDataFolder(const std::string& name) {
  const char* root = std::getenv("VELMO_TEST_DATA");
  return std::string(root ? root : VELMO_TEST_DATA_DIR) + "/chaser/" + name;
}

// The example intervals by timer number, as text.
inline std::map<int, std::string> exampleIntervals() {
  std::map<int, std::string> intervals;
  for (int n = 1; n <= chaser::Chaser::kTimerCount; ++n)
    intervals[n] = std::to_string(chaser::Chaser::exampleInterval(n));
  return intervals;
}

// A settings lookup that answers each timer's own section and key from
// `intervals` (timer number -> value text), "" for anything else, and logs
// "read <section> <key> <path>".
inline IniReader intervalReader(std::map<int, std::string> intervals, EventLog& events) {
  return [intervals = std::move(intervals), &events](const std::string& section,
                                                     const std::string& key,
                                                     const std::string& path) -> std::string {
    events.push_back("read " + section + " " + key + " " + path);
    for (const auto& [number, text] : intervals) {
      if (section == chaser::Chaser::intervalSection(number) &&
          key == chaser::Chaser::intervalKey(number))
        return text;
    }
    return "";
  };
}

// "<ms>:<byte>" for bytes written every stepMs from firstMs on.
inline std::vector<std::string> steps(long long firstMs, long long stepMs,
                                      const std::vector<int>& bytes) {
  std::vector<std::string> writes;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    writes.push_back(std::to_string(firstMs + stepMs * static_cast<long long>(i)) + ":" +
                     std::to_string(bytes[i]));
  }
  return writes;
}

inline std::vector<std::string> operator+(std::vector<std::string> a,
                                          const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline const std::vector<int> kSweepUp = {1, 2, 4, 8, 16, 32, 64, 128};
inline const std::vector<int> kSweepDown = {128, 64, 32, 16, 8, 4, 2, 1};

}  // namespace velmo::test
