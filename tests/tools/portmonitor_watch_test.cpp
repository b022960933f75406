// SPDX-License-Identifier: GPL-3.0-or-later
// portmonitor --watch as users run it, in a child process on a register of
// the test's own.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <thread>

#include "port/register/simulated_register.h"
#include "tests/port/port_test_support.h"

namespace velmo {
namespace {

using port::SimulatedRegister;
using Folder = port::RegisterLocation::Folder;
using namespace velmo::test;

// portmonitor started with VELMO_PORT=port and output into files; ended at
// the end of the scope.
class WatchingMonitor {
 public:
  WatchingMonitor(const std::string& port, const TempFolder& temp)
      : out_(temp / "out"), err_(temp / "err") {
    pid_ = fork();
    if (pid_ == 0) {
      setenv("VELMO_PORT", port.c_str(), 1);
      dup2(open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
      dup2(open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
      execl(PORTMONITOR, PORTMONITOR, "--watch", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~WatchingMonitor() {
    if (running()) kill(pid_, SIGTERM);
    exitStatus();
  }

  // Waits until the output has a line matching pattern; false after a bound
  // that only a broken monitor reaches.
  bool waitForLine(const std::string& pattern) {
    const std::regex line(pattern);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      for (const auto& text : readLines(out_)) {
        if (std::regex_match(text, line)) return true;
      }
      if (!running()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The exit status once the monitor has ended by itself.
  int exitStatus() {
    if (!status_) {
      int status = 0;
      waitpid(pid_, &status, 0);
      status_ = status;
    }
    return WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1;
  }
  std::string output() const { return readFile(out_); }
  std::string errors() const { return readFile(err_); }

 private:
  bool running() {
    int status = 0;
    if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return !status_;
  }

  std::string out_;
  std::string err_;
  pid_t pid_ = -1;
  std::optional<int> status_;  // waitpid's status once it has ended
};

constexpr const char* kTime = "[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}";

TEST(PortMonitorWatch, PrintsALineWhenAnotherProcessWrites) {
  TempFolder temp;
  const std::string reg = temp / "reg";
  SimulatedRegister writer({reg, Folder::kExisting});
  writer.writeData(0x07);
  WatchingMonitor monitor("sim:" + reg, temp);
  ASSERT_TRUE(monitor.waitForLine(std::string(kTime) + "  now 0x07    7  00000111"))
      << monitor.output() << monitor.errors();

  ASSERT_EQ(runInChild([&] {
              SimulatedRegister({reg, Folder::kExisting}).writeData(129);
              return 0;
            }),
            0);
  EXPECT_TRUE(monitor.waitForLine(std::string(kTime) + "  out 0x81  129  10000001"))
      << monitor.output() << monitor.errors();
}

TEST(PortMonitorWatch, PrintsALineWhenItLosesTheRegisterAndWhenItFollowsItAgain) {
  TempFolder temp;
  const std::string folder = temp / "port";
  const std::string reg = folder + "/reg";
  std::filesystem::create_directory(folder);
  WatchingMonitor monitor("sim:" + reg, temp);
  ASSERT_TRUE(monitor.waitForLine(std::string(kTime) + "  now 0x00 .*")) << monitor.errors();

  std::filesystem::remove_all(folder);
  ASSERT_TRUE(monitor.waitForLine(std::string(kTime) + "  lost The register folder " + folder +
                                  " is gone \\(deleted or moved away\\); waiting for it to come "
                                  "back\\."))
      << monitor.output() << monitor.errors();
  std::filesystem::create_directory(folder);
  SimulatedRegister({reg, Folder::kExisting}).writeData(5);
  EXPECT_TRUE(monitor.waitForLine(std::string(kTime) + "  back " + reg))
      << monitor.output() << monitor.errors();
  EXPECT_TRUE(monitor.waitForLine(std::string(kTime) + "  out 0x05 .*"))
      << monitor.output() << monitor.errors();
}

TEST(PortMonitorWatch, AnUnknownPortSettingEndsItWithTheValidForms) {
  TempFolder temp;
  WatchingMonitor monitor("lpt1", temp);
  EXPECT_EQ(monitor.exitStatus(), 1);
  EXPECT_THAT(monitor.errors(), ::testing::AllOf(::testing::HasSubstr("VELMO_PORT=\"lpt1\""),
                                                 ::testing::HasSubstr("\"sim:PATH\"")));
  EXPECT_EQ(monitor.output(), "");
}

}  // namespace
}  // namespace velmo
