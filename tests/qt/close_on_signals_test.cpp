// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/close_on_signals.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

namespace velmo::qt {
namespace {

class CountingWindow : public QWidget {
 public:
  int closeEvents = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closeEvents;
    event->accept();
  }
};

// One QApplication for the process; signal handlers stay installed, so each
// signal is tested in its own child process. With secondCall, a second call
// for another window must be refused and change nothing.
void endsLikeClosingTheWindow(int signalNumber, bool windowHidden, bool secondCall = false) {
  int argc = 1;
  char name[] = "close_on_signals_test";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  CountingWindow window;
  CountingWindow other;
  if (!windowHidden) window.show();
  closeOnTerminationSignals(window);
  if (secondCall) {
    try {
      closeOnTerminationSignals(other);
      std::_Exit(3);
    } catch (const std::logic_error&) {
    }
  }

  QTimer::singleShot(0, [signalNumber] { raise(signalNumber); });
  // A safety net only: the signal ends the loop long before.
  QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });
  const int status = application.exec();
  if (status != 0 || window.closeEvents != 1 || window.isVisible() || other.closeEvents != 0) {
    std::_Exit(1);
  }
  std::_Exit(0);
}

TEST(CloseOnTerminationSignals, SigtermClosesTheWindowAndQuits) {
  EXPECT_EXIT(endsLikeClosingTheWindow(SIGTERM, false), ::testing::ExitedWithCode(0), "");
}

TEST(CloseOnTerminationSignals, SigintClosesTheWindowAndQuits) {
  EXPECT_EXIT(endsLikeClosingTheWindow(SIGINT, false), ::testing::ExitedWithCode(0), "");
}

TEST(CloseOnTerminationSignals, AHiddenWindowStillGetsItsCloseEventAndTheLoopQuits) {
  EXPECT_EXIT(endsLikeClosingTheWindow(SIGTERM, true), ::testing::ExitedWithCode(0), "");
}

TEST(CloseOnTerminationSignals, ASecondCallIsRefusedAndTheFirstWindowStillCloses) {
  EXPECT_EXIT(endsLikeClosingTheWindow(SIGTERM, false, true), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace velmo::qt
