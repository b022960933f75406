#include "platform/qt/fatal_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

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

TEST(FatalErrorDeathTest, DefaultReportPrintsOneLineWithTheProgramNameAndExitsWithStatus1) {
  setFatalErrorReporter({});
  EXPECT_EXIT(reportFatalError("Velmo1.ini [timer3] tiden2 = 70000:\nnot 0 to 65535 ms"),
              ::testing::ExitedWithCode(1),
              "^fatal_error_test: Velmo1.ini \\[timer3\\] tiden2 = 70000: not 0 to 65535 ms\n$");
}

// A value quoted from a settings file may hold any byte: a NUL must not cut
// the report short, nor may escapes reach the terminal.
TEST(FatalErrorDeathTest, ControlCharactersAreShownAsSymbols) {
  setFatalErrorReporter({});
  using namespace std::string_literals;
  EXPECT_EXIT(reportFatalError("tiden = 70000\0x\x1B[2J\x7F\xC2\x9B\t\xC3\xB8: fix it"s),
              ::testing::ExitedWithCode(1),
              "^fatal_error_test: tiden = 70000\xE2\x90\x80x\xE2\x90\x9B\\[2J\xE2\x90\xA1"
              "\xEF\xBF\xBD\t\xC3\xB8: fix it\n$");
}

TEST(FatalErrorDeathTest, UncaughtErrorInAGuardedHandlerEndsTheProgram) {
  setFatalErrorReporter({});
  EXPECT_EXIT(runGuarded([] { throw OverflowError("256 is not a port byte"); }),
              ::testing::ExitedWithCode(1), "fatal_error_test: 256 is not a port byte");
}

}  // namespace
}  // namespace velmo::qt
