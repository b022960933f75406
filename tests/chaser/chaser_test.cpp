// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "system/run_time_error.h"
#include "tests/chaser/chaser_fixture.h"

namespace velmo::chaser {
namespace {

using namespace std::chrono_literals;
using test::EventLog;
using test::kSweepDown;
using test::kSweepUp;
using test::steps;
using test::operator+;
using Writes = std::vector<std::string>;

class ChaserTest : public ::testing::Test {
 protected:
  // Loads the settings in folder; start-up's write is taken off the record.
  void load(const std::string& folder, IniReader reader = ReadIniString) {
    chaser = std::make_unique<Chaser>(timeline.scheduler(), port, folder, std::move(reader));
    chaser->Form_Load();
    port.takeWrites();
    events.clear();
  }
  void loadIntervals(std::map<int, std::string> intervals) {
    load("/velmo", test::intervalReader(std::move(intervals), events));
  }
  void loadExample() { load(test::kExamplesFolder); }

  // Writes made while the timeline runs on by `by`.
  Writes run(std::chrono::milliseconds by) {
    timeline.advance(by);
    return port.takeWrites();
  }

  bool anyStepTimerEnabled() {
    for (int n = 1; n <= Chaser::kTimerCount; ++n) {
      if (chaser->timer(n).enabled()) return true;
    }
    return false;
  }

  VirtualTimeline timeline;
  EventLog events;
  test::RecordingPort port{timeline.clock(), events};
  std::unique_ptr<Chaser> chaser;
};

// --- Start-up ---------------------------------------------------------------

TEST_F(ChaserTest, StartUpWritesOneZeroBeforeReadingEachTimerInOrder) {
  chaser = std::make_unique<Chaser>(timeline.scheduler(), port, "/opt/velmo",
                                    test::intervalReader(test::exampleIntervals(), events));
  chaser->Form_Load();

  EventLog expected = {"out 888 0"};
  for (int n = 1; n <= 24; ++n) {
    const std::string key = n == 1 ? "tiden" : "tiden" + std::to_string(n - 1);
    expected.push_back("read timer" + std::to_string(n) + " " + key + " /opt/velmo/Velmo1.ini");
  }
  EXPECT_EQ(events, expected);
  EXPECT_FALSE(anyStepTimerEnabled());
  EXPECT_EQ(port.takeWrites(), Writes{"0:0"});
  EXPECT_EQ(run(70s), Writes{}) << "nothing is written until a button is clicked";
}

TEST_F(ChaserTest, ExampleFileGivesEveryTimerItsExampleInterval) {
  loadExample();
  for (int n = 1; n <= 24; ++n)
    EXPECT_EQ(chaser->timer(n).interval(), Chaser::exampleInterval(n)) << n;
}

TEST_F(ChaserTest, MissingSettingsFileLeavesEveryTimerSilent) {
  load(test::testDataFolder("no-such-folder"));
  for (int n = 1; n <= 24; ++n) EXPECT_EQ(chaser->timer(n).interval(), 0) << n;
  for (auto click : {&Chaser::Command1_Click, &Chaser::Command2_Click, &Chaser::Command3_Click,
                     &Chaser::Command4_Click}) {
    (chaser.get()->*click)();
    EXPECT_EQ(port.takeWrites().size(), 1u);
    EXPECT_EQ(port.reg, 0);
    EXPECT_EQ(run(70s), Writes{});
  }
}

struct BadValue {
  const char* text;
  bool overflow;  // beyond 32 bits rather than beyond a step time
};

class ChaserBadValueTest : public ChaserTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(ChaserBadValueTest, StopsStartUpNamingFileSectionKeyAndValue) {
  auto intervals = test::exampleIntervals();
  intervals[3] = GetParam().text;
  chaser = std::make_unique<Chaser>(timeline.scheduler(), port, "/opt/velmo",
                                    test::intervalReader(intervals, events));
  try {
    chaser->Form_Load();
    FAIL() << "start-up accepted " << GetParam().text;
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.what(),
              "/opt/velmo/Velmo1.ini [timer3] tiden2 = " + std::string(GetParam().text) +
                  ": a step time must be 0 to 65535 ms");
    EXPECT_EQ(dynamic_cast<const OverflowError*>(&error) != nullptr, GetParam().overflow);
  }
  EXPECT_EQ(port.takeWrites(), Writes{"0:0"});
  EXPECT_EQ(events.back(), "read timer3 tiden2 /opt/velmo/Velmo1.ini") << "no read after it";
  EXPECT_EQ(run(10s), Writes{});
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, ChaserBadValueTest,
                         ::testing::Values(BadValue{"70000", false}, BadValue{"-1", false},
                                           BadValue{"65536", false}, BadValue{"65535.5", false},
                                           BadValue{"3000000000", true},
                                           BadValue{"&H100000000", true}));

TEST_F(ChaserTest, LargestStepTimeIsAccepted) {
  auto intervals = test::exampleIntervals();
  intervals[1] = "65535";
  intervals[2] = "65534.5";
  loadIntervals(intervals);
  EXPECT_EQ(chaser->timer(1).interval(), 65535);
  EXPECT_EQ(chaser->timer(2).interval(), 65534);
}

// --- Patterns with the example intervals -------------------------------------

TEST_F(ChaserTest, Pattern1RunsLine1ToLine8Every800Ms) {
  loadExample();
  chaser->Command1_Click();
  EXPECT_EQ(run(2450ms), Writes{"0:0"} + steps(100, 100, kSweepUp) + steps(900, 100, kSweepUp) +
                             steps(1700, 100, kSweepUp));
  const Writes later = run(80s);
  ASSERT_EQ(later.size(), 800u) << "without end: eight steps every 800 ms";
  EXPECT_EQ(later.back(), "82400:128");
}

TEST_F(ChaserTest, Pattern2SweepsUpAndBackEvery1600Ms) {
  loadExample();
  chaser->Command2_Click();
  const Writes cycle1 = steps(100, 100, kSweepUp) + steps(900, 100, kSweepDown);
  const Writes cycle2 = steps(1700, 100, kSweepUp) + steps(2500, 100, kSweepDown);
  const Writes cycle3 = steps(3300, 100, kSweepUp) + steps(4100, 100, kSweepDown);
  EXPECT_EQ(run(4850ms), Writes{"0:0"} + cycle1 + cycle2 + cycle3);
}

TEST_F(ChaserTest, Pattern3FlashesCentrePairThenOuterLinesEvery900Ms) {
  loadExample();
  chaser->Command3_Click();
  EXPECT_EQ(run(1850ms),
            (Writes{"0:0", "130:24", "260:0", "380:24", "500:0", "500:231", "700:0", "900:231",
                    "1030:24", "1160:0", "1280:24", "1400:0", "1400:231", "1600:0", "1800:231"}));
}

class ChaserPatternTest : public ChaserTest,
                          public ::testing::WithParamInterface<void (Chaser::*)()> {};

TEST_P(ChaserPatternTest, DeaktiverWritesZeroAndStopsEveryStep) {
  loadExample();
  (chaser.get()->*GetParam())();
  run(1450ms);
  chaser->Command4_Click();
  EXPECT_EQ(port.takeWrites(), Writes{"1450:0"});
  EXPECT_FALSE(anyStepTimerEnabled());
  EXPECT_EQ(run(70s), Writes{});
}

INSTANTIATE_TEST_SUITE_P(EachPattern, ChaserPatternTest,
                         ::testing::Values(&Chaser::Command1_Click, &Chaser::Command2_Click,
                                           &Chaser::Command3_Click));

TEST_F(ChaserTest, ChangingFromPattern2To3MidCycleStartsPattern3FromTheClick) {
  loadExample();
  chaser->Command2_Click();
  run(1050ms);
  chaser->Command3_Click();
  EXPECT_EQ(port.takeWrites(), Writes{"1050:0"});
  for (int n = 1; n <= 16; ++n) EXPECT_FALSE(chaser->timer(n).enabled()) << n;
  EXPECT_EQ(run(900ms),
            (Writes{"1180:24", "1310:0", "1430:24", "1550:0", "1550:231", "1750:0", "1950:231"}));
}

TEST_F(ChaserTest, Pattern1ClickedDuringPattern2RunsPattern1WithItsRestart) {
  loadExample();
  chaser->Command2_Click();
  run(850ms);
  chaser->Command1_Click();
  EXPECT_EQ(run(2350ms), Writes{"850:0"} + steps(950, 100, kSweepUp) + steps(1750, 100, kSweepUp) +
                             steps(2550, 100, {1, 2, 4, 8, 16, 32, 64}));
}

struct LateRestart {
  void (Chaser::*click)();
  std::chrono::milliseconds untilJustBefore;  // the restart timer is due 10 ms later
  std::chrono::milliseconds stall;            // longer than the group's shortest interval
  Writes fromTheRestart;
};

class ChaserLateRestartTest : public ChaserTest,
                              public ::testing::WithParamInterface<LateRestart> {};

TEST_P(ChaserLateRestartTest, NextCycleComesInOrderFromTheLateInstant) {
  loadExample();
  (chaser.get()->*GetParam().click)();
  run(GetParam().untilJustBefore);
  timeline.stall(GetParam().stall);
  EXPECT_EQ(run(1650ms), GetParam().fromTheRestart);
}

INSTANTIATE_TEST_SUITE_P(
    EachPattern, ChaserLateRestartTest,
    ::testing::Values(
        LateRestart{&Chaser::Command1_Click, 790ms, 160ms,
                    Writes{"950:128"} + steps(1050, 100, kSweepUp) + steps(1850, 100, kSweepUp)},
        LateRestart{&Chaser::Command2_Click, 1590ms, 170ms,
                    Writes{"1760:1"} + steps(1860, 100, kSweepUp) + steps(2660, 100, kSweepDown)},
        LateRestart{&Chaser::Command3_Click,
                    890ms,
                    150ms,
                    {"1040:231", "1170:24", "1300:0", "1420:24", "1540:0", "1540:231", "1740:0",
                     "1940:231", "2070:24", "2200:0", "2320:24", "2440:0", "2440:231", "2640:0"}}));

// What `click` writes over `span` when it finds a chaser with the example
// intervals idle at `at`.
Writes fromIdle(void (Chaser::*click)(), std::chrono::milliseconds at,
                std::chrono::milliseconds span) {
  VirtualTimeline timeline;
  EventLog events;
  test::RecordingPort port{timeline.clock(), events};
  Chaser chaser(timeline.scheduler(), port, test::kExamplesFolder);
  chaser.Form_Load();
  timeline.advance(at);
  port.takeWrites();
  (chaser.*click)();
  timeline.advance(span);
  return port.takeWrites();
}

struct ClickWhileRunning {
  void (Chaser::*running)();
  std::chrono::milliseconds at;  // after `running` was clicked
  void (Chaser::*click)();
};

class ChaserClickWhileRunningTest : public ChaserTest,
                                    public ::testing::WithParamInterface<ClickWhileRunning> {};

TEST_P(ChaserClickWhileRunningTest, StartsThePatternAfreshAsFromIdle) {
  const ClickWhileRunning& row = GetParam();
  loadExample();
  (chaser.get()->*row.running)();
  run(row.at);
  (chaser.get()->*row.click)();
  EXPECT_EQ(port.takeWrites() + run(3500ms), fromIdle(row.click, row.at, 3500ms))
      << "clicked at " << row.at.count() << " ms";
}

INSTANTIATE_TEST_SUITE_P(
    AtPointsOfTheCycle, ChaserClickWhileRunningTest,
    ::testing::Values(ClickWhileRunning{&Chaser::Command1_Click, 50ms, &Chaser::Command1_Click},
                      ClickWhileRunning{&Chaser::Command1_Click, 350ms, &Chaser::Command1_Click},
                      ClickWhileRunning{&Chaser::Command1_Click, 1250ms, &Chaser::Command1_Click},
                      ClickWhileRunning{&Chaser::Command2_Click, 350ms, &Chaser::Command2_Click},
                      ClickWhileRunning{&Chaser::Command2_Click, 1250ms, &Chaser::Command2_Click},
                      ClickWhileRunning{&Chaser::Command2_Click, 2050ms, &Chaser::Command2_Click},
                      ClickWhileRunning{&Chaser::Command3_Click, 200ms, &Chaser::Command3_Click},
                      ClickWhileRunning{&Chaser::Command3_Click, 450ms, &Chaser::Command3_Click},
                      ClickWhileRunning{&Chaser::Command3_Click, 1000ms, &Chaser::Command3_Click},
                      ClickWhileRunning{&Chaser::Command2_Click, 350ms, &Chaser::Command1_Click}));

// --- Unusual settings --------------------------------------------------------

struct RestartOff {
  void (Chaser::*click)();
  int restartTimer;
  Writes oneCycle;
};

class ChaserRestartOffTest : public ChaserTest, public ::testing::WithParamInterface<RestartOff> {};

TEST_P(ChaserRestartOffTest, RunsOneCycleAndHoldsTheLastByte) {
  auto intervals = test::exampleIntervals();
  intervals[GetParam().restartTimer] = "";
  loadIntervals(intervals);
  (chaser.get()->*GetParam().click)();
  EXPECT_EQ(run(70s), GetParam().oneCycle);
}

INSTANTIATE_TEST_SUITE_P(
    EachRestartTimer, ChaserRestartOffTest,
    ::testing::Values(RestartOff{&Chaser::Command1_Click, 8,
                                 Writes{"0:0"} + steps(100, 100, {1, 2, 4, 8, 16, 32, 64})},
                      RestartOff{
                          &Chaser::Command3_Click,
                          22,
                          {"0:0", "130:24", "260:0", "380:24", "500:0", "500:231", "700:0"}}));

TEST_F(ChaserTest, Pattern2WithoutTimer16RestartsAtTimer8) {
  auto intervals = test::exampleIntervals();
  intervals[16] = "0";
  loadIntervals(intervals);
  chaser->Command2_Click();
  // Timer9 ... Timer15 fire in the first cycle only: Timer8 restarts just its half.
  EXPECT_EQ(run(2450ms), Writes{"0:0"} + steps(100, 100, kSweepUp) +
                             (Writes{"900:128", "900:1", "1000:64", "1000:2", "1100:32", "1100:4",
                                     "1200:16", "1200:8", "1300:8", "1300:16", "1400:4", "1400:32",
                                     "1500:2", "1500:64", "1600:128"}) +
                             steps(1700, 100, kSweepUp));
}

TEST_F(ChaserTest, StepLongerThanItsRestartTimerFiresAfterTheRestart) {
  auto intervals = test::exampleIntervals();
  intervals[3] = "950";
  loadIntervals(intervals);
  chaser->Command1_Click();
  Writes timer3Steps;
  Writes restarts;
  for (const std::string& write : run(5000ms)) {
    if (write.ends_with(":4")) timer3Steps.push_back(write);
    if (write.ends_with(":128")) restarts.push_back(write);
  }
  EXPECT_EQ(restarts,
            (Writes{"800:128", "1600:128", "2400:128", "3200:128", "4000:128", "4800:128"}));
  // Still counting at each restart, so it is not started again then: it fires
  // 950 ms after each restart that finds it idle.
  EXPECT_EQ(timer3Steps, (Writes{"950:4", "2550:4", "4150:4"}));
}

TEST_F(ChaserTest, FileWithOnlyTimer1To8RunsPattern1ForBothSweepsAndPattern3Dark) {
  load(test::testDataFolder("only-timer1-8"));
  ASSERT_EQ(chaser->timer(8).interval(), 800);
  ASSERT_EQ(chaser->timer(9).interval(), 0) << "a key in the wrong section is not read";
  chaser->Command2_Click();
  EXPECT_EQ(run(1650ms), Writes{"0:0"} + steps(100, 100, kSweepUp) + steps(900, 100, kSweepUp));
  chaser->Command3_Click();
  EXPECT_EQ(run(70s), Writes{"1650:0"});
}

TEST_F(ChaserTest, Timer23And24NeverRunWhateverTheirSettings) {
  auto intervals = test::exampleIntervals();
  intervals[23] = "1";
  intervals[24] = "2";
  loadIntervals(intervals);
  ASSERT_EQ(chaser->timer(23).interval(), 1);
  for (auto click : {&Chaser::Command1_Click, &Chaser::Command2_Click, &Chaser::Command3_Click,
                     &Chaser::Command1_Click, &Chaser::Command4_Click}) {
    (chaser.get()->*click)();
    for (int ms = 0; ms < 4000; ms += 50) {
      timeline.advance(50ms);
      ASSERT_FALSE(chaser->timer(23).enabled() || chaser->timer(24).enabled()) << ms;
    }
  }
}

// --- Patterns of the user's own, speed and tap tempo ---------------------------

TEST_F(ChaserTest, UserPatternWritesEachStepItsTimeAfterTheOneBefore) {
  loadExample();
  chaser->setUserPatterns({{4, "Par", {3, 12, 48}, {100, 200, 50}}, {9, "Nine", {1}, {10}}});
  EXPECT_EQ(chaser->patterns().back(), (Chaser::PatternEntry{9, "Nine"}));
  EXPECT_THROW(chaser->click(5), std::out_of_range);
  chaser->click(4);
  EXPECT_EQ(chaser->pattern(), 4);
  EXPECT_EQ(run(700ms), (Writes{"0:0", "100:3", "300:12", "350:48", "450:3", "650:12", "700:48"}));
  chaser->click(1);
  EXPECT_EQ(run(200ms), (Writes{"700:0", "800:1", "900:2"})) << "the user pattern stopped";
  chaser->click(4);
  chaser->setUserPatterns({});
  EXPECT_EQ(run(1s), (Writes{"900:0", "900:0"})) << "a pattern gone stops as with Deaktiver";
}

TEST_F(ChaserTest, SpeedChangeMidCycleHoldsFromTheNextStepOn) {
  loadExample();
  chaser->Command1_Click();
  run(250ms);
  EXPECT_THROW(chaser->setSpeed(4.01), std::invalid_argument);
  chaser->setSpeed(2);
  EXPECT_EQ(run(450ms), steps(300, 50, {4, 8, 16, 32, 64, 128, 1, 2, 4}));
}

TEST_F(ChaserTest, TapsSetTheSpeedSoOneStepLastsTheMedianBeat) {
  loadExample();
  chaser->Command3_Click();  // 150 ms a step on average
  for (const auto gap : {0ms, 50ms, 50ms, 50ms, 110ms, 40ms}) {
    timeline.advance(gap);
    chaser->Tap();
  }
  EXPECT_DOUBLE_EQ(chaser->speed(), 3) << "the late tap and the early one after it are outliers";
}

TEST(TapTempo, MedianOfTheLastIntervalsAndANewSeriesAfterAGap) {
  TapTempo tempo;
  std::vector<long long> beats;
  for (const long long ms : {0, 500, 1000, 1900, 2400, 5000, 5400}) {
    const auto beat = tempo.tap(std::chrono::milliseconds{ms});
    beats.push_back(beat ? std::chrono::duration_cast<std::chrono::milliseconds>(*beat).count()
                         : -1);
  }
  EXPECT_EQ(beats, (std::vector<long long>{-1, 500, 500, 500, 500, -1, 400}));
}

}  // namespace
}  // namespace velmo::chaser
