// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/fatal_error.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qt/program_life.h"
#include "system/run_time_error.h"

namespace velmo::qt {
namespace {

class RecordingReporter : public ::testing::Test {
 protected:
  RecordingReporter() {
    setFatalErrorReporter([this](const std::string& text) { reported.push_back(text); });
  }
  ~RecordingReporter() override { setFatalErrorReporter({}); }

  std::vector<std::string> reported;
};

struct ThrowCase {
  const char* name;
  std::function<void()> handler;
  const char* report;
};

TEST_F(RecordingReporter, RunGuardedReportsWhatEveryExceptionSays) {
  const ThrowCase cases[] = {
      {"run-time error", [] { throw RunTimeError("cannot load /opt/v/libvelmoport.so"); },
       "cannot load /opt/v/libvelmoport.so"},
      {"derived run-time error", [] { throw OverflowError("256 is not a port byte"); },
       "256 is not a port byte"},
      {"other std::exception", [] { throw std::length_error("too long"); }, "too long"},
      {"not an exception class", [] { throw 42; }, "an unknown error ended the program"},
  };
  for (const ThrowCase& c : cases) {
    SCOPED_TRACE(c.name);
    reported.clear();
    EXPECT_FALSE(runGuarded(c.handler));
    EXPECT_EQ(reported, std::vector<std::string>{c.report});
  }
}

TEST_F(RecordingReporter, RunGuardedRunsAHandlerThatSucceedsWithoutReport) {
  int runs = 0;
  EXPECT_TRUE(runGuarded([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(reported.empty());
}

TEST_F(RecordingReporter, ReportFatalErrorGoesToTheReplacementReporter) {
  reportFatalError("bad interval");
  EXPECT_EQ(reported, std::vector<std::string>{"bad interval"});
}

// The default report, in a child process of its own: once it has run, the
// process is ending for good.
TEST(FatalErrorDeathTest, DefaultReportPrintsOneLineWithTheProgramNameAndRefusesLaterHandlers) {
  EXPECT_EXIT(
      {
        reportFatalError("Velmo1.ini [timer3] tiden2 = 70000:\nnot 0 to 65535 ms");
        std::_Exit(fatalErrorReported() && !runGuarded([] {}) ? 1 : 0);
      },
      ::testing::ExitedWithCode(1),
      "^fatal_error_test: Velmo1.ini \\[timer3\\] tiden2 = 70000: not 0 to 65535 ms\n$");
}

// A value quoted from a settings file may hold any byte: a NUL must not cut
// the report short, nor may escapes reach the terminal.
TEST(FatalErrorDeathTest, ControlCharactersAreShownAsSymbols) {
  using namespace std::string_literals;
  EXPECT_EXIT(
      {
        reportFatalError("tiden = 70000\0x\x1B[2J\x7F\xC2\x9B\t\xC3\xB8: fix it"s);
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(1),
      "^fatal_error_test: tiden = 70000\xE2\x90\x80x\xE2\x90\x9B\\[2J\xE2\x90\xA1"
      "\xEF\xBF\xBD\t\xC3\xB8: fix it\n$");
}

// main as the programs have it, in a child process on the offscreen
// platform: startUp runs, then the window shows and the event loop runs.
// endReport ends each fatal report as soon as it shows (the report's box runs
// an event loop of its own). Prints and exits with the status main returns.
[[noreturn]] void runProgram(const std::function<void()>& endReport,
                             const std::function<void()>& startUp) {
  int argc = 1;
  char name[] = "fatal_error_test";
  char* argv[] = {name, nullptr};
  // Qt's warnings about the test platform would mix with the report's line.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QApplication application(argc, argv);
  QTimer ender;
  QObject::connect(&ender, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget()) endReport();
  });
  ender.start(10);
  // A safety net only: a program that does not end fails the test instead of
  // holding it.
  QTimer::singleShot(10000, [] { std::_Exit(4); });
  QWidget window;
  const int status = runMainWindow([&]() -> QWidget* {
    startUp();
    return &window;
  });
  std::fprintf(stderr, "main returns %d\n", status);
  std::_Exit(status);
}

void closeReport() {
  QApplication::activeModalWidget()->close();
}

TEST(FatalErrorDeathTest, AFailedHandlerEndsTheEventLoopWithStatus1AndNoHandlerRunsAfterIt) {
  const struct {
    const char* name;
    void (*endReport)();
  } endings[] = {
      {"closed by the user", closeReport},
      // What a termination signal does while the report shows.
      {"ended by a termination signal", [] { QCoreApplication::exit(0); }},
  };
  for (const auto& ending : endings) {
    SCOPED_TRACE(ending.name);
    const auto failingHandler = [] {
      runGuarded([] { throw OverflowError("256 is not a port byte"); });
      // The report has ended, the event loop not yet: a click or a timer
      // comes now, and a termination signal asks to end with status 0.
      runGuarded([] { std::fputs("a handler ran after the report\n", stderr); });
      QCoreApplication::exit(0);
    };
    EXPECT_EXIT(runProgram(ending.endReport, [&] { QTimer::singleShot(0, failingHandler); }),
                ::testing::ExitedWithCode(1),
                "^fatal_error_test: 256 is not a port byte\nmain returns 1\n$");
  }
}

TEST(FatalErrorDeathTest, AFailedStartUpEndsWithStatus1BeforeTheEventLoopRuns) {
  EXPECT_EXIT(
      runProgram(closeReport, [] { throw RunTimeError("cannot load /opt/v/libvelmoport.so"); }),
      ::testing::ExitedWithCode(1),
      "^fatal_error_test: cannot load /opt/v/libvelmoport.so\nmain returns 1\n$");
}

}  // namespace
}  // namespace velmo::qt
