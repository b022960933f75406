// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/step_thread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qt/fatal_error.h"
#include "system/run_time_error.h"
#include "timers/window_timer.h"

namespace velmo::qt {
namespace {

TEST(StepThread, WorkRunsThereAndItsErrorsAreReportedOnTheApplicationsThread) {
  static int argc = 1;
  static char name[] = "step_thread_test";
  static char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  std::vector<std::pair<std::string, bool>> reports;  // with: on the application's thread
  setFatalErrorReporter([&](const std::string& text) {
    reports.emplace_back(text, QThread::currentThread() == application.thread());
  });
  {
    StepThread steps;
    QThread* ran = nullptr;
    EXPECT_TRUE(runStepWork([&] { ran = QThread::currentThread(); }));
    EXPECT_NE(ran, application.thread());
    EXPECT_FALSE(runStepWork([] { throw RunTimeError("a click failed"); }));
    std::unique_ptr<WindowTimer> failing;
    steps.run([&] {
      failing = std::make_unique<WindowTimer>(steps.scheduler(),
                                              [] { throw RunTimeError("a step failed"); });
      failing->setInterval(1);
      failing->setEnabled(true);
    });
    QElapsedTimer waited;
    waited.start();
    while (reports.size() < 2 && waited.elapsed() < 5000) {
      QCoreApplication::processEvents();
      QThread::msleep(1);
    }
    steps.run([&] { failing.reset(); });
  }
  setFatalErrorReporter({});
  EXPECT_EQ(reports, (std::vector<std::pair<std::string, bool>>{{"a click failed", true},
                                                                {"a step failed", true}}));
}

}  // namespace
}  // namespace velmo::qt
