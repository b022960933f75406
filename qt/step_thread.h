// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "qt/realtime_timer_driver.h"

class QThread;

namespace velmo::qt {

// A thread of its own for the step work: the window timers on a
// RealTimeTimerDriver, their handlers and the port writes they make, so that
// a busy window (a repaint, a resize, a modal box) never delays a step. The
// window's thread hands work over with runStepWork() and waits for it; the
// step thread never waits on the window's. Needs a QCoreApplication.
class StepThread {
 public:
  // Starts the thread ("velmo-steps") and its driver. Throws RunTimeError
  // when the driver cannot be made. One at a time in a program.
  StepThread();
  // Ends the thread. The timers on its scheduler must be gone.
  ~StepThread();
  StepThread(const StepThread&) = delete;
  StepThread& operator=(const StepThread&) = delete;

  TimerScheduler& scheduler() { return driver_->scheduler(); }
  RealTimeTimerDriver& driver() { return *driver_; }

  // The thread's id (gettid), for its scheduling.
  pid_t threadId() const { return threadId_; }

  // Runs work on the step thread and waits for it; what work throws is
  // thrown here.
  void run(const std::function<void()>& work);

 private:
  std::unique_ptr<QThread> thread_;
  QObject* context_ = nullptr;  // lives on the thread; work is queued to it
  std::unique_ptr<RealTimeTimerDriver> driver_;
  pid_t threadId_ = 0;
};

// Runs work where the step work runs (on the program's StepThread while there
// is one, else here) through runGuarded, and waits for it. Every way into a
// program's timed behaviour (clicks, bus calls, an editor) goes through it.
// Returns false when work failed; the error is then reported.
bool runStepWork(const std::function<void()>& work);

// Runs work on the application's thread (at once when called there, else
// queued), unless context is gone by then. For observers that the step work
// calls and that touch a window or the bus: context is taken when the
// observer is made, on the application's thread, and may be copied anywhere.
void onApplicationThread(const QPointer<QObject>& context, std::function<void()> work);

}  // namespace velmo::qt
