// SPDX-License-Identifier: GPL-3.0-or-later
// The chaser window on Qt's offscreen platform, started on hostile Velmo1.ini
// files in a real program folder and read through the real ReadIniString:
// each start-up gives the intervals the reader's rules give, or the interval
// error for a value out of range, and nothing blocks or crashes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "chaser/form1.h"
#include "system/run_time_error.h"
#include "tests/chaser/chaser_fixture.h"
#include "tests/reliability/hostile_settings.h"
#include "tests/support/qt_application.h"

namespace velmo::chaser {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using namespace reliability;
using test::operator+;
using Intervals = std::map<int, int>;  // timer number -> interval, 0 left out

constexpr std::size_t kMegabyte = 1024 * 1024;
constexpr std::size_t kBigFileMegabytes = VELMO_HOSTILE_BIG_MB;  // 100; 10 under sanitizers
const std::string kRangeError = ": a step time must be 0 to 65535 ms";

// What a start-up of the chaser gave: the intervals, or the error report.
struct Outcome {
  Intervals intervals;
  std::string error;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << "{intervals:";
  for (const auto& [timer, interval] : outcome.intervals) *out << " " << timer << "=" << interval;
  *out << ", error: \"" << outcome.error.substr(0, 400) << "\"}";
}

Outcome started(Intervals intervals) {
  return {std::move(intervals), ""};
}

// A Velmo1.ini body: each timer's own section and key set to its value text.
std::string chaserSettings(const std::map<int, std::string>& values) {
  std::string text;
  for (const auto& [timer, value] : values)
    text += settingsEntry(Chaser::intervalSection(timer), Chaser::intervalKey(timer), value);
  return text;
}

// The example intervals with changes (0 leaves a timer out).
Intervals exampleWith(const std::map<int, int>& changes) {
  Intervals intervals;
  for (int timer = 1; timer <= Chaser::kTimerCount; ++timer) {
    const auto change = changes.find(timer);
    const int interval = change == changes.end() ? Chaser::exampleInterval(timer) : change->second;
    if (interval != 0) intervals[timer] = interval;
  }
  return intervals;
}

std::map<int, std::string> exampleTextsFrom(int firstTimer) {
  std::map<int, std::string> texts = test::exampleIntervals();
  texts.erase(texts.begin(), texts.find(firstTimer));
  return texts;
}

class ChaserHostileSettings : public ::testing::Test {
 protected:
  std::string settingsPath() const { return folder / "Velmo1.ini"; }

  // Builds the window on the program folder and runs its start-up as the
  // program does: an error is the outcome; otherwise the window is shown.
  // Either way the port has had its one 0 and nothing else.
  Outcome start() {
    events.clear();
    Chaser chaser(timeline.scheduler(), port, folder.path());
    Form1 form(chaser);
    try {
      chaser.Form_Load();
    } catch (const RunTimeError& error) {
      expectOnlyTheStartUpWrite();
      return {{}, error.what()};
    }
    expectOnlyTheStartUpWrite();
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    Outcome outcome;
    for (int timer = 1; timer <= Chaser::kTimerCount; ++timer) {
      if (const int interval = chaser.timer(timer).interval()) outcome.intervals[timer] = interval;
    }
    return outcome;
  }

  void expectOnlyTheStartUpWrite() {
    test::EventLog writes;
    for (const std::string& event : events) {
      if (event.starts_with("out ")) writes.push_back(event);
    }
    EXPECT_EQ(writes, test::EventLog{"out 888 0"});
  }

  Outcome rangeError(int timer, const std::string& value) const {
    return {{},
            settingsPath() + " [" + Chaser::intervalSection(timer) + "] " +
                Chaser::intervalKey(timer) + " = " + value + kRangeError};
  }

  QApplication& app = test::application();
  TempFolder folder;
  VirtualTimeline timeline;
  test::EventLog events;
  test::RecordingPort port{timeline.clock(), events};
};

const std::string kExample = chaserSettings(test::exampleIntervals());
const std::string kTenMegabytes(10 * kMegabyte, 'x');

TEST_F(ChaserHostileSettings, EachHostileFileGivesWhatTheReaderRulesGive) {
  // Sections timer100000 down to timer1, so the wanted ones come last.
  std::string manySections;
  for (int timer = 100000; timer >= 1; --timer)
    manySections += settingsEntry(Chaser::intervalSection(timer), Chaser::intervalKey(timer),
                                  std::to_string(timer));
  Intervals timerNumbers;
  for (int timer = 1; timer <= 24; ++timer) timerNumbers[timer] = timer;

  struct Case {
    const char* name;
    std::string file;
    Outcome expected;
  };
  const Case cases[] = {
      {"NUL bytes end names and values",
       "\0\0\0\n[timer1]\ntiden=1\0 2\n[timer2\0]\ntiden1=200\n[timer3]\n\0tiden2=300\n"
       "tiden2=3\0\n[timer4]\ntiden3=\0 400\n"s,
       started({{1, 1}, {2, 200}, {3, 3}})},
      {"10 MB value is read up to its number",
       "[timer1]\ntiden=500 " + kTenMegabytes + "\n" + chaserSettings(exampleTextsFrom(2)),
       started(exampleWith({{1, 500}}))},
      {"10 MB line of another section", "[other]\nlong=" + kTenMegabytes + "\n" + kExample,
       started(exampleWith({}))},
      {"10 MB line ended by CR alone", kTenMegabytes + "\r" + kExample, started(exampleWith({}))},
      {"key whose = lies beyond 64 KiB is no key",
       "[timer1]\ntiden" + std::string(10 * kMegabyte, ' ') + "=7\n" +
           chaserSettings(exampleTextsFrom(2)),
       started(exampleWith({{1, 0}}))},
      {"invalid UTF-8 after the number",
       "[timer1]\ntiden=1\xFF"
       "00\n[timer2]\ntiden1=\xC3(\n",
       started({{1, 1}})},
      {"header [ alone before the timers", "[\n" + kExample, started(exampleWith({}))},
      {"header [ alone is ignored: the timer's section goes on",
       "[timer1]\n[\ntiden=100\n" + chaserSettings(exampleTextsFrom(2)), started(exampleWith({}))},
      {"header [ alone as the last byte", kExample + "[", started(exampleWith({}))},
      {"header [ alone as the whole file", "[", started({})},
      {"100,000 sections", manySections, started(timerNumbers)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(settingsPath(), c.file);
    EXPECT_EQ(start(), c.expected);
  }
}

TEST_F(ChaserHostileSettings, ValueOutOfRangeInAHostileFileGivesTheIntervalError) {
  struct Case {
    const char* name;
    std::string file;
    int timer;
    std::string value;  // as the error report quotes it
  };
  std::string manySections;
  for (int i = 0; i < 100000; ++i) manySections += "[s" + std::to_string(i) + "]\nk=1\n";
  const Case cases[] = {
      {"10 MB of digits, cut to 254", "[timer1]\ntiden=" + std::string(10 * kMegabyte, '9'), 1,
       std::string(254, '9')},
      {"Windows-1252 file with CR line ends",
       "[timer1]\rtiden=\xF8\r[timer2]\rtiden1=65536 \xB5s\r", 2, "65536 µs"},
      {"an escape sequence shown as a symbol, the value cut at a NUL",
       "[timer2]\rtiden1=65536\x1B[31m\0more\r"s, 2, "65536␛[31m"},
      {"after 100,000 sections", manySections + chaserSettings({{5, "-1"}}), 5, "-1"},
      {"beside a header [ alone", "[\n[timer3]\ntiden2=1e9\n[", 3, "1e9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(settingsPath(), c.file);
    EXPECT_EQ(start(), rangeError(c.timer, c.value));
  }
}

TEST_F(ChaserHostileSettings, PathThatIsNoReadableFileReadsAsMissing) {
  for (const UnusablePath& kind : unusablePaths()) {
    SCOPED_TRACE(kind.kind);
    std::filesystem::remove_all(settingsPath());
    kind.make(settingsPath());
    EXPECT_EQ(start(), started({}));
  }
}

// The wanted sections after 100 MB of others: the start-up finds them in
// bounded memory, and "Løpelys 1" then steps with the intervals read.
TEST_F(ChaserHostileSettings, BigFileGivesTheRightIntervals) {
  writeWithFiller(settingsPath(), kBigFileMegabytes * kMegabyte, kExample);
  Chaser chaser(timeline.scheduler(), port, folder.path());
  Form1 form(chaser);
  const long peakBefore = peakResidentKb();
  chaser.Form_Load();
  EXPECT_LT(peakResidentKb() - peakBefore, 64 * 1024) << "kB more to read the file";
  for (const auto& [timer, interval] : exampleWith({}))
    EXPECT_EQ(chaser.timer(timer).interval(), interval) << "Timer" << timer;

  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  port.takeWrites();
  QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
  timeline.advance(800ms);
  EXPECT_EQ(port.takeWrites(), test::EventLog{"0:0"} + test::steps(100, 100, test::kSweepUp));
}

// A writer replaces the file over and over, atomically and in place, while
// the chaser starts again and again: every start-up gives intervals or the
// interval error; none crashes or blocks.
TEST_F(ChaserHostileSettings, FileRewrittenDuringStartUpNeverCrashes) {
  const std::vector<std::string> versions = {
      kExample,
      kExample + "[timer3]\ntiden2=1\n",
      chaserSettings({{3, "70000"}}) + kExample,
      std::string(300 * 1024, ';') + "\n" + kExample,
      "",
  };
  std::atomic<bool> stop = false;
  std::thread writer([&] {
    const std::string staged = folder / "staged.ini";
    for (std::size_t round = 0; !stop; ++round) {
      const std::string& version = versions[round % versions.size()];
      if (round % 2 == 0) {
        writeFile(settingsPath(), version);  // truncated, then written
      } else {
        writeFile(staged, version);
        std::filesystem::rename(staged, settingsPath());
      }
    }
  });
  int startedCount = 0, reported = 0;
  for (int run = 0; run < 150; ++run) {
    const Outcome outcome = start();
    if (outcome.error.empty()) {
      ++startedCount;
    } else {
      ++reported;
      EXPECT_EQ(outcome.error, rangeError(3, "70000").error);
    }
  }
  stop = true;
  writer.join();
  std::printf("started %d times, reported the interval error %d times\n", startedCount, reported);
}

}  // namespace
}  // namespace velmo::chaser
