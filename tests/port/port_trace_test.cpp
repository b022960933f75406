// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_trace.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "port/data_register.h"
#include "tests/port/port_test_support.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace velmo::test;
using Direction = PortTrace::Direction;

class FixedClock final : public Clock {
 public:
  Instant now() const override { return Instant{81234567890123}; }
};

TEST(PortTrace, AppendsOneLinePerAccess) {
  TempFolder temp;
  writeFile(temp / "trace", "earlier line\n");
  FixedClock clock;
  PortTrace trace(temp / "trace", clock);
  trace.record(Direction::kOut, 888, 129);
  trace.record(Direction::kIn, 888, 0);
  trace.record(Direction::kOut, 888, 255);
  EXPECT_EQ(readFile(temp / "trace"),
            "earlier line\n"
            "81234567890123 out 888 129\n"
            "81234567890123 in 888 0\n"
            "81234567890123 out 888 255\n");
}

TEST(PortTrace, ANewTraceIsTheUsersAlone) {
  TempFolder temp;
  EXPECT_EQ(runInChild([&] {
              umask(022);
              FixedClock clock;
              PortTrace trace(temp / "trace", clock);
              return modeOf(temp / "trace") == 0600 ? 0 : 1;
            }),
            0);
}

TEST(PortTrace, TwoProcessesShareOneTraceWithoutMixingLines) {
  TempFolder temp;
  const std::string path = temp / "trace";
  constexpr int kLinesEach = 500;
  auto writeLines = [&](Direction direction) {
    MonotonicClock clock;
    PortTrace trace(path, clock);
    for (int i = 0; i < kLinesEach; ++i) trace.record(direction, 888, i % 256);
    return 0;
  };
  const pid_t other = fork();
  if (other == 0) _exit(writeLines(Direction::kIn));
  writeLines(Direction::kOut);
  int status = 0;
  waitpid(other, &status, 0);

  const std::regex line("[0-9]+ (out|in) 888 [0-9]{1,3}");
  const auto lines = readLines(path);
  EXPECT_EQ(lines.size(), 2u * kLinesEach);
  for (const auto& text : lines) ASSERT_TRUE(std::regex_match(text, line)) << text;
}

TEST(PortTrace, APathThatCannotBeOpenedIsAnErrorNamingItAndTheReason) {
  TempFolder temp;
  const struct {
    std::string path;
    const char* reason;
  } rows[] = {{temp / "missing-folder/trace", "No such file or directory"},
              {temp.path(), "Is a directory"},
              {temp / "link", "symbolic link"}};
  writeFile(temp / "target", "");
  ASSERT_EQ(symlink((temp / "target").c_str(), (temp / "link").c_str()), 0);
  for (const auto& row : rows) {
    MonotonicClock clock;
    try {
      PortTrace trace(row.path, clock);
      ADD_FAILURE() << "opened " << row.path;
    } catch (const PortAccessError& error) {
      EXPECT_THAT(error.what(),
                  AllOf(HasSubstr(row.path), HasSubstr(row.reason), HasSubstr("VELMO_PORT_TRACE")));
    }
  }
}

TEST(PortTrace, ANamedPipeThatNoProgramReadsIsAnErrorAtOnce) {
  TempFolder temp;
  const std::string path = temp / "fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const std::string report = temp / "report";
  const int result = runInChild([&] {
    alarm(5);  // a trace that waits for a reader would hold up the program for good
    MonotonicClock clock;
    try {
      PortTrace trace(path, clock);
    } catch (const PortAccessError& error) {
      writeFile(report, error.what());
      return 0;
    }
    return 1;
  });
  ASSERT_EQ(result, 0) << "the trace was opened or waited for a reader";
  EXPECT_EQ(readFile(report), "Cannot open the port trace " + path +
                                  " (VELMO_PORT_TRACE): it is a named pipe that no program "
                                  "reads. Start the program that reads it first, or choose a "
                                  "file in a folder you may write, or unset VELMO_PORT_TRACE.");
}

TEST(PortTrace, ANamedPipeWithAReaderGetsTheLines) {
  TempFolder temp;
  const std::string path = temp / "fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const FileDescriptor reader{::open(path.c_str(), O_RDONLY | O_NONBLOCK)};
  ASSERT_TRUE(reader);
  FixedClock clock;
  PortTrace trace(path, clock);
  trace.record(Direction::kOut, 888, 7);
  char line[64] = {};
  ASSERT_GT(::read(reader.get(), line, sizeof line - 1), 0);
  EXPECT_STREQ(line, "81234567890123 out 888 7\n");
}

}  // namespace
}  // namespace velmo::port
