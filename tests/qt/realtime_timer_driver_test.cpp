// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/realtime_timer_driver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qt/fatal_error.h"
#include "system/run_time_error.h"
#include "timers/window_timer.h"

namespace velmo::qt {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

QCoreApplication& application() {
  static int argc = 1;
  static char name[] = "realtime_timer_driver_test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Window timers on the real clock, driven by the event loop. Each timer logs
// its name when it fires, then runs its action (by default: disable itself).
// Waits are bounded and never judge lateness, only what ran and in which order.
class DriverFixture : public ::testing::Test {
 protected:
  DriverFixture() {
    setFatalErrorReporter([this](const std::string& text) { reported.push_back(text); });
    auto* notifier = driver.findChild<QSocketNotifier*>();
    QObject::connect(notifier, &QSocketNotifier::activated, [this] { ++wakeups; });
    driver.setWakeObserver([this](Instant due) {
      passes.push_back(due);
      if (clock.now() < due) early.push_back(due);
    });
  }
  ~DriverFixture() override { setFatalErrorReporter({}); }

  // The early wake-up before a due instant runs nothing.
  void TearDown() override { EXPECT_TRUE(early.empty()) << "handlers ran before they were due"; }

  WindowTimer& add(const std::string& name, int interval,
                   std::function<void(WindowTimer&)> action = disableItself) {
    const std::size_t index = timers.size();
    timers.push_back(std::make_unique<WindowTimer>(scheduler, [this, name, action, index] {
      log.push_back(name);
      action(*timers[index]);
    }));
    timers.back()->setInterval(interval);
    return *timers.back();
  }

  static void disableItself(WindowTimer& timer) { timer.setEnabled(false); }

  // Runs the event loop until done() holds, at most 5 s; returns done().
  bool runUntil(const std::function<bool()>& done) {
    QTimer safety;
    safety.setSingleShot(true);
    safety.start(5s);
    while (!done() && safety.isActive()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
  }

  void runFor(std::chrono::milliseconds span) {
    QEventLoop loop;
    QTimer::singleShot(span, &loop, &QEventLoop::quit);
    loop.exec();
  }

  bool logged(std::size_t count) {
    return runUntil([&] { return log.size() >= count; });
  }

  QCoreApplication& app = application();  // before the driver's socket notifier
  RealTimeTimerDriver driver;
  TimerScheduler& scheduler = driver.scheduler();
  std::vector<std::unique_ptr<WindowTimer>> timers;
  Log log;
  std::vector<std::string> reported;
  int wakeups = 0;              // every wake-up of the driver, early ones included
  std::vector<Instant> passes;  // the due instant of each pass of handlers
  std::vector<Instant> early;   // passes that began before their due instant
  const MonotonicClock clock;
};

TEST_F(DriverFixture, CountdownsFireInTheOrderTheyComeDue) {
  add("a", 30).setEnabled(true);
  add("b", 10).setEnabled(true);
  add("c", 20).setEnabled(true);
  ASSERT_TRUE(logged(3));
  EXPECT_EQ(log, (Log{"b", "c", "a"}));
  EXPECT_FALSE(scheduler.nextDue());
}

TEST_F(DriverFixture, CountdownDueBeforeTheArmedOneRunsFirst) {
  add("late", 250).setEnabled(true);
  int ticks = 0;
  add("tick", 10, [&](WindowTimer& self) {
    if (++ticks == 3) self.setEnabled(false);
  }).setEnabled(true);
  ASSERT_TRUE(logged(4));
  EXPECT_EQ(log, (Log{"tick", "tick", "tick", "late"}));
}

TEST_F(DriverFixture, CountdownStartedByAHandlerFires) {
  WindowTimer& chained = add("chained", 30);
  add("first", 10, [&](WindowTimer& self) {
    self.setEnabled(false);
    chained.setEnabled(true);
  }).setEnabled(true);
  ASSERT_TRUE(logged(2));
  EXPECT_EQ(log, (Log{"first", "chained"}));
}

TEST_F(DriverFixture, TimerThatStaysEnabledKeepsFiring) {
  int calls = 0;
  add("tick", 5, [&](WindowTimer& self) {
    if (++calls == 4) self.setEnabled(false);
  }).setEnabled(true);
  ASSERT_TRUE(logged(4));
  runFor(20ms);
  EXPECT_EQ(log, (Log(4, "tick")));
}

TEST_F(DriverFixture, DisabledTimerDoesNotFire) {
  WindowTimer& stopped = add("stopped", 10);
  stopped.setEnabled(true);
  stopped.setEnabled(false);
  add("sentinel", 40).setEnabled(true);
  ASSERT_TRUE(logged(1));
  EXPECT_EQ(log, (Log{"sentinel"}));
}

TEST_F(DriverFixture, CountdownsDueTogetherRunInOneWake) {
  std::vector<WindowTimer*> group;
  for (int i = 0; i < 8; ++i) group.push_back(&add("step" + std::to_string(i), 20));
  // Started by one handler, all eight count from its due instant.
  add("restart", 5, [&](WindowTimer& self) {
    self.setEnabled(false);
    for (WindowTimer* step : group) step->setEnabled(true);
  }).setEnabled(true);
  ASSERT_TRUE(logged(9));
  EXPECT_EQ(passes.size(), 2u);
}

TEST_F(DriverFixture, NoWakeupsWhileNothingIsDue) {
  add("once", 5).setEnabled(true);
  ASSERT_TRUE(logged(1));
  WindowTimer& cancelled = add("cancelled", 50);
  cancelled.setEnabled(true);
  cancelled.setEnabled(false);
  const int before = wakeups;
  runFor(200ms);
  EXPECT_EQ(wakeups, before);
  EXPECT_EQ(log, (Log{"once"}));
}

TEST_F(DriverFixture, HandlerErrorReachesTheReporterAndNothingRunsAfterIt) {
  add("failing", 10, [](WindowTimer&) {
    throw OverflowError("256 is not a port byte");
  }).setEnabled(true);
  add("after", 20).setEnabled(true);
  ASSERT_TRUE(runUntil([&] { return !reported.empty(); }));
  runFor(40ms);
  EXPECT_EQ(reported, (std::vector<std::string>{"256 is not a port byte"}));
  EXPECT_EQ(log, (Log{"failing"}));
}

}  // namespace
}  // namespace velmo::qt
