// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/realtime_timer_driver.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "qt/fatal_error.h"
#include "system/errno_text.h"
#include "system/run_time_error.h"

// The thread's timer slack is left as it is: a timerfd expiry is a kernel
// high-resolution timer that ignores slack (with 10 ms of slack it still wakes
// within tens of microseconds, and 1 ns of slack measured no better in
// step_timing_bench), so lowering it would only sharpen Qt's own timers and
// cost power. Qt's own event dispatcher (QT_NO_GLIB) measured no better than
// GLib's either.

namespace velmo::qt {
namespace {

// A thread that has slept long wakes later than one that slept briefly: on
// our 2-core virtual machine a sleep of 10 ms or more ends 0.1 to 0.2 ms
// after its instant, one of 1 to 5 ms about 0.04 ms after (the idle states
// of the processor, and of the host running the machine, deepen with the
// time asleep). So the timerfd first goes off this long before a due instant
// and is then set to the instant itself: the sleep that ends at the instant
// is a short one. That is one more wake-up per due instant, none while
// nothing is due.
constexpr Instant kWakeLead = std::chrono::milliseconds{1};

itimerspec oneShotAt(Instant due) {
  // An all-zero it_value disarms the timer; instant 0 is long past anyway.
  const long long ns = std::max<long long>(due.count(), 1);
  itimerspec deadline{};
  deadline.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
  deadline.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
  return deadline;
}

[[noreturn]] void throwSystemError(const char* what) {
  throw RunTimeError(std::string("the step timers cannot run: ") + what + " failed (" +
                     errnoText(errno) + ")");
}

}  // namespace

RealTimeTimerDriver::RealTimeTimerDriver(QObject* parent)
    : QObject(parent), timer_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
  if (!timer_) throwSystemError("timerfd_create");
  notifier_ = new QSocketNotifier(timer_.get(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &RealTimeTimerDriver::onWake);
  rearm();
  scheduler_.setScheduleChanged([this] { rearm(); });
}

RealTimeTimerDriver::~RealTimeTimerDriver() {
  scheduler_.setScheduleChanged({});
  delete notifier_;
}

void RealTimeTimerDriver::rearm() {
  if (running_) return;
  const std::optional<Instant> due = scheduler_.nextDue();
  if (due != armedAt_) setTimer(due);
}

void RealTimeTimerDriver::setTimer(std::optional<Instant> due) {
  // A countdown less than twice the lead away sleeps briefly anyway.
  const bool farAhead = due && *due - clock_.now() > 2 * kWakeLead;
  setAlarm(farAhead ? std::optional<Instant>(*due - kWakeLead) : due);
  armedAt_ = due;
}

void RealTimeTimerDriver::setAlarm(std::optional<Instant> alarm) {
  const itimerspec deadline = alarm ? oneShotAt(*alarm) : itimerspec{};
  if (timerfd_settime(timer_.get(), TFD_TIMER_ABSTIME, &deadline, nullptr) != 0) {
    throwSystemError("timerfd_settime");
  }
}

void RealTimeTimerDriver::onWake() {
  std::uint64_t expirations = 0;
  // Nothing to read: the timer was re-armed after it had expired, and the
  // new instant has not come yet.
  if (read(timer_.get(), &expirations, sizeof expirations) < 0) return;
  if (armedAt_ && clock_.now() < *armedAt_) {
    setAlarm(*armedAt_);  // the early wake-up: a short sleep to the instant
    return;
  }
  if (wakeObserver_ && armedAt_) wakeObserver_(*armedAt_);
  armedAt_.reset();  // a one-shot timerfd is disarmed once it has expired

  running_ = true;
  const bool completed = runGuarded([this] { scheduler_.runDue(); });
  running_ = false;
  if (!completed) {
    notifier_->setEnabled(false);
    return;
  }
  runGuarded([this] { rearm(); });
}

}  // namespace velmo::qt
