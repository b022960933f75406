// SPDX-License-Identifier: GPL-3.0-or-later
#include "timers/window_timer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system/run_time_error.h"
#include "timers/virtual_timeline.h"

namespace velmo {
namespace {

using namespace std::chrono_literals;

// Timers that log "<name>@<ms>" each time they fire.
class TimerFixture : public ::testing::Test {
 protected:
  WindowTimer& add(const std::string& name, int interval) {
    auto timer = std::make_unique<WindowTimer>(timeline.scheduler(), [this, name] {
      log.push_back(name + "@" + std::to_string(timeline.elapsedMs()));
      if (auto it = onFire.find(name); it != onFire.end()) it->second();
    });
    timer->setInterval(interval);
    timers.push_back(std::move(timer));
    return *timers.back();
  }

  VirtualTimeline timeline;
  std::vector<std::unique_ptr<WindowTimer>> timers;
  std::vector<std::string> log;
  std::map<std::string, std::function<void()>> onFire;
};

using Log = std::vector<std::string>;

TEST_F(TimerFixture, EnabledTimerRepeatsEveryIntervalUntilDisabled) {
  WindowTimer& a = add("a", 100);
  a.setEnabled(true);
  timeline.advance(350ms);
  a.setEnabled(false);
  timeline.advance(1s);
  EXPECT_EQ(log, (Log{"a@100", "a@200", "a@300"}));
}

TEST_F(TimerFixture, IntervalZeroNeverFires) {
  WindowTimer& a = add("a", 0);
  a.setEnabled(true);
  timeline.advance(70s);
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(timeline.scheduler().nextDue());
}

TEST_F(TimerFixture, EnablingAnEnabledTimerKeepsItsCountdown) {
  WindowTimer& a = add("a", 100);
  a.setEnabled(true);
  timeline.advance(60ms);
  a.setEnabled(true);
  timeline.advance(40ms);
  EXPECT_EQ(log, (Log{"a@100"}));
}

TEST_F(TimerFixture, ReenablingAfterDisableStartsAFullCountdownFromNow) {
  WindowTimer& a = add("a", 100);
  a.setEnabled(true);
  timeline.advance(60ms);
  a.setEnabled(false);
  a.setEnabled(true);
  timeline.advance(150ms);
  EXPECT_EQ(log, (Log{"a@160"}));
}

TEST_F(TimerFixture, IntervalOutsideRangeIsRefusedAndKeepsTheOldValue) {
  WindowTimer& a = add("a", 5);
  EXPECT_THROW(a.setInterval(65536), InvalidPropertyValue);
  EXPECT_THROW(a.setInterval(-1), InvalidPropertyValue);
  EXPECT_EQ(a.interval(), 5);
  a.setInterval(65535);
  EXPECT_EQ(a.interval(), 65535);
}

TEST_F(TimerFixture, SimultaneousCountdownsRunInTheOrderTheyStarted) {
  WindowTimer& b = add("b", 100);
  WindowTimer& a = add("a", 100);
  WindowTimer& c = add("c", 50);
  b.setEnabled(true);
  a.setEnabled(true);
  c.setEnabled(true);
  timeline.advance(100ms);
  EXPECT_EQ(log, (Log{"c@50", "b@100", "a@100", "c@100"}));
}

TEST_F(TimerFixture, CountdownStartedInAHandlerCountsFromThatHandlersDueInstant) {
  WindowTimer& a = add("a", 100);
  WindowTimer& b = add("b", 30);
  onFire["a"] = [&] {
    a.setEnabled(false);
    b.setEnabled(true);
  };
  onFire["b"] = [&] { b.setEnabled(false); };
  a.setEnabled(true);
  // One big step: the handler of a runs late on the clock, b still counts from 100.
  timeline.advance(125ms);
  EXPECT_EQ(log, (Log{"a@100"}));
  timeline.advance(5ms);
  EXPECT_EQ(log, (Log{"a@100", "b@130"}));
}

TEST_F(TimerFixture, CountdownsOneHandlerStartsShareOneBaseAlsoAfterAStall) {
  WindowTimer& restart = add("restart", 300);  // stays enabled: its next countdown is one of them
  WindowTimer& a = add("a", 100);
  WindowTimer& b = add("b", 200);
  WindowTimer& stopped = add("stopped", 10);
  onFire["restart"] = [&] {
    b.setEnabled(true);
    a.setEnabled(true);
    stopped.setEnabled(true);
    stopped.setEnabled(false);  // no longer counts, so it cannot force a resync
  };
  onFire["a"] = [&] { a.setEnabled(false); };
  onFire["b"] = [&] { b.setEnabled(false); };
  restart.setEnabled(true);
  // 50 ms late, less than the shortest interval: all count from the due instant 300.
  timeline.advance(290ms);
  timeline.stall(60ms);
  timeline.advance(240ms);
  EXPECT_EQ(log, (Log{"restart@350", "a@400", "b@500"}));
  // 160 ms late: a would be overdue from 600, so all count from 760, in interval order.
  log.clear();
  timeline.stall(170ms);
  timeline.advance(300ms);
  EXPECT_EQ(log, (Log{"restart@760", "a@860", "b@960", "restart@1060"}));
}

TEST_F(TimerFixture, CountdownsAnEventHandlerStartsCountFromTheFirstOneStarted) {
  WindowTimer& a = add("a", 100);
  WindowTimer& b = add("b", 50);
  onFire["a"] = [&] { a.setEnabled(false); };
  onFire["b"] = [&] { b.setEnabled(false); };
  const auto click = [&](std::chrono::milliseconds portWrites) {
    timeline.scheduler().runHandler([&] {
      timeline.stall(portWrites);
      a.setEnabled(true);
      timeline.stall(portWrites);
      b.setEnabled(true);
    });
  };
  // Slow port writes before and between the starts: both count from where
  // the first started, never from before it.
  click(10ms);
  timeline.advance(100ms);
  EXPECT_EQ(log, (Log{"b@60", "a@110"}));
  // A click that outlasts b's interval: both resync to its end, in order.
  log.clear();
  click(60ms);
  timeline.advance(200ms);
  EXPECT_EQ(log, (Log{"b@290", "a@340"}));
}

TEST_F(TimerFixture, ZeroDelayRestartInAHandlerDoesNotRunInTheSamePass) {
  WindowTimer& a = add("a", 10);
  WindowTimer& b = add("b", 10);
  onFire["a"] = [&] { b.setEnabled(true); };
  a.setEnabled(true);
  timeline.advance(10ms);
  EXPECT_EQ(log, (Log{"a@10"}));
}

TEST_F(TimerFixture, TimerDisabledByAnEarlierHandlerOfThePassDoesNotRun) {
  WindowTimer& a = add("a", 100);
  WindowTimer& b = add("b", 100);
  onFire["a"] = [&] { b.setEnabled(false); };
  a.setEnabled(true);
  b.setEnabled(true);
  timeline.advance(100ms);
  EXPECT_EQ(log, (Log{"a@100"}));
}

TEST_F(TimerFixture, TimerRestartedByAnEarlierHandlerOfThePassWaitsItsFullInterval) {
  WindowTimer& a = add("a", 100);
  WindowTimer& b = add("b", 100);
  onFire["a"] = [&] {
    a.setEnabled(false);
    b.setEnabled(false);
    b.setEnabled(true);
  };
  a.setEnabled(true);
  b.setEnabled(true);
  timeline.advance(250ms);
  EXPECT_EQ(log, (Log{"a@100", "b@200"}));
}

TEST_F(TimerFixture, AfterAStallLongerThanTheIntervalTheCountdownResyncsToNow) {
  VirtualClock clock;
  TimerScheduler scheduler(clock);
  std::vector<long long> fired;
  WindowTimer a(scheduler, [&] {
    fired.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(clock.now()).count());
  });
  a.setInterval(100);
  a.setEnabled(true);
  // The loop reaches the timer 350 ms late: one call, and the next a full
  // interval after the late call instead of a burst of the missed ones.
  clock.set(450ms);
  scheduler.runDue();
  scheduler.runDue();
  EXPECT_EQ(fired, (std::vector<long long>{450}));
  EXPECT_EQ(scheduler.nextDue(), std::chrono::nanoseconds{550ms});
}

TEST_F(TimerFixture, TimerDestroyedByAnEarlierHandlerOfThePassDoesNotRun) {
  WindowTimer& a = add("a", 100);
  auto b = std::make_unique<WindowTimer>(timeline.scheduler(), [] { FAIL(); });
  b->setInterval(100);
  onFire["a"] = [&] { b.reset(); };
  a.setEnabled(true);
  b->setEnabled(true);
  timeline.advance(100ms);
  EXPECT_EQ(log, (Log{"a@100"}));
}

TEST_F(TimerFixture, DestroyedTimerLeavesTheSchedule) {
  auto timer = std::make_unique<WindowTimer>(timeline.scheduler(), [] { FAIL(); });
  timer->setInterval(10);
  timer->setEnabled(true);
  timer.reset();
  EXPECT_FALSE(timeline.scheduler().nextDue());
  timeline.advance(20ms);
}

TEST_F(TimerFixture, NewRateHoldsFromTheNextCountdownOnWithoutAJump) {
  add("a", 100).setEnabled(true);
  add("b", 300).setEnabled(true);
  timeline.advance(50ms);
  timeline.scheduler().setRate(2);
  timeline.advance(300ms);
  EXPECT_EQ(log, (Log{"a@100", "a@150", "b@200", "a@200", "a@250", "a@300", "b@350", "a@350"}));
}

}  // namespace
}  // namespace velmo
