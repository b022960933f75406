// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/user_pattern.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "chaser/pattern_file.h"
#include "system/temp_folder.h"

namespace velmo::chaser {
namespace {

struct FormatCase {
  std::string file;
  // Each good pattern as "<number> <name>: <steps> / <time>" (valuesOf).
  std::vector<std::string> patterns;
  std::string problem;  // after "<path> ", the one report; "" for none
};

const std::string kValidSteps =
    "each step is a byte, 0 to 255 or 0x00 to 0xFF, separated by commas";
const std::string kValidTimes = "a step time is 1 to 65535 ms, one for every step or one per step";

const FormatCase kCases[] = {
    {"[pattern4]\nname=Par\nsteps=3,12,48,192\ntime=120\n", {"4 Par: 3,12,48,192 / 120"}, ""},
    {"[PATTERN7]\nsteps= 0x0f , 0XF0,255 \ntime=100, 200 ,300\n",
     {"7 pattern7: 15,240,255 / 100,200,300"},
     ""},
    {"[pattern9]\nsteps=1\ntime=65535\n[pattern5]\nsteps=2\ntime=1\n[pattern5]\nsteps=9\ntime=9\n",
     {"5 pattern5: 2 / 1", "9 pattern9: 1 / 65535"},
     ""},
    {"[pattern3]\nsteps=1\ntime=1\n[pattern04]\nsteps=1\ntime=1\n[pattern100]\nsteps=1\ntime=1\n",
     {},
     ""},
    {"[pattern4]\nname=Tom\ntime=100\n",
     {},
     "[pattern4] steps = : a pattern needs steps: " + kValidSteps},
    {"[pattern4]\nsteps=1,256\ntime=100\n",
     {},
     "[pattern4] steps = 1,256: \"256\" is not a step: " + kValidSteps},
    {"[pattern4]\nsteps=1,,2\ntime=100\n",
     {},
     "[pattern4] steps = 1,,2: \"\" is not a step: " + kValidSteps},
    {"[pattern4]\nsteps=0x100\ntime=100\n",
     {},
     "[pattern4] steps = 0x100: \"0x100\" is not a step: " + kValidSteps},
    {"[pattern4]\nsteps=-1\ntime=100\n",
     {},
     "[pattern4] steps = -1: \"-1\" is not a step: " + kValidSteps},
    {"[pattern4]\nsteps=1,2\n", {}, "[pattern4] time = : the step time is missing: " + kValidTimes},
    {"[pattern4]\nsteps=1,2\ntime=0\n",
     {},
     "[pattern4] time = 0: \"0\" is not a step time: " + kValidTimes},
    {"[pattern4]\nsteps=1,2\ntime=65536\n",
     {},
     "[pattern4] time = 65536: \"65536\" is not a step time: " + kValidTimes},
    {"[pattern4]\nsteps=1,2,3\ntime=100,200\n",
     {},
     "[pattern4] time = 100,200: 2 step times for 3 steps: " + kValidTimes},
    {"[pattern4]\nsteps=" + std::string(6001, '1') + "\ntime=1\n",
     {},
     "[pattern4] steps = " + std::string(80, '1') +
         "…: longer than 6000 characters: a pattern "
         "has at most 1000 steps"},
};

TEST(UserPatternFormat, EachSectionThroughTheReader) {
  const TempFolder folder;
  const std::string path = folder / "Velmo1.ini";
  for (const FormatCase& c : kCases) {
    std::ofstream(path, std::ios::trunc) << "[timer1]\ntiden=100\n" << c.file;
    const LoadedPatterns loaded = loadUserPatterns(path);
    std::vector<std::string> patterns;
    for (const UserPattern& pattern : loaded.patterns) {
      const PatternValues values = valuesOf(pattern);
      patterns.push_back(std::to_string(pattern.number) + " " + values.name + ": " + values.steps +
                         " / " + values.time);
    }
    EXPECT_EQ(patterns, c.patterns) << c.file;
    const std::vector<std::string> problems =
        c.problem.empty() ? std::vector<std::string>{} : std::vector{path + " " + c.problem};
    EXPECT_EQ(loaded.problems, problems) << c.file;
  }
}

// As --pattern takes them; leading zeros and numbers past 99 are the
// section rows above.
TEST(UserPatternFormat, PatternNumbers) {
  const std::pair<std::string_view, int> rows[] = {{"1", 1},  {"99", 99}, {"0", 0}, {"-1", 0},
                                                   {"1x", 0}, {"", 0},    {" 7", 0}};
  for (const auto& [digits, number] : rows) EXPECT_EQ(patternNumberOf(digits), number) << digits;
}

}  // namespace
}  // namespace velmo::chaser
