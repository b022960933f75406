// SPDX-License-Identifier: GPL-3.0-or-later
// serial: through the real libvelmoport.so, in child processes, to a fake
// relay board on a pseudo-terminal that checks every frame; and the rule of
// one driver per device, with two processes on that board.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "port/backends/serial_frame.h"
#include "system/file_descriptor.h"
#include "system/temp_folder.h"

namespace velmo::port {
namespace {

// A relay board on a pseudo-terminal: keeps the relays' state and every
// frame, and counts the frames that are no frame of the protocol.
class FakeSerialBoard {
 public:
  FakeSerialBoard() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    grantpt(master_.get());
    unlockpt(master_.get());
    device_ = ptsname(master_.get());
    slave_.reset(open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));  // keeps the line up
  }
  const std::string& device() const { return device_; }
  termios settings() const {
    termios now{};
    tcgetattr(master_.get(), &now);  // the port's as the program set them
    return now;
  }

  // Reads until count frames have come in all (or 5 s went by); the relays.
  std::uint8_t await(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (frames < count && std::chrono::steady_clock::now() < deadline) {
      pollfd wait{master_.get(), POLLIN, 0};
      if (poll(&wait, 1, 50) <= 0) continue;
      std::uint8_t bytes[64];
      const ssize_t got = read(master_.get(), bytes, sizeof bytes);
      for (ssize_t i = 0; i < got; ++i) take(bytes[i]);
    }
    return relays;
  }

  std::size_t frames = 0;
  std::size_t badFrames = 0;
  std::uint8_t relays = 0;

 private:
  void take(std::uint8_t byte) {
    partial_.push_back(byte);
    if (partial_.size() < 4) return;
    const unsigned relay = partial_[1];
    const SerialFrame frame = serialFrame(relay, partial_[2] == 1);
    if (partial_[0] != 0xA0 || relay < 1 || relay > 8 || partial_[2] > 1 ||
        !std::equal(frame.begin(), frame.end(), partial_.begin())) {
      ++badFrames;
    } else {
      relays = static_cast<std::uint8_t>(partial_[2] ? relays | 1 << (relay - 1)
                                                     : relays & ~(1 << (relay - 1)));
      ++frames;
    }
    partial_.clear();
  }

  FileDescriptor master_;
  FileDescriptor slave_;
  std::string device_;
  std::vector<std::uint8_t> partial_;
};

// A program on the board in a child process: each byte that comes down its
// pipe is written with PortOut, and it ends (as programs do, with exit)
// when the pipe closes.
class Program {
 public:
  Program(const std::string& port, const std::string& runtime) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    child_ = fork();
    if (child_ == 0) {
      // Only the end of its own pipe: another program's pipe closes when
      // the test closes it.
      for (int fd = 3; fd < 1024; ++fd) {
        if (fd != ends[0]) close(fd);
      }
      setenv("VELMO_PORT", port.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      void* library = dlopen(VELMO_PORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
      auto portOut =
          reinterpret_cast<void (*)(std::int32_t, std::int32_t)>(dlsym(library, "PortOut"));
      std::uint8_t byte = 0;
      while (read(ends[0], &byte, 1) == 1) portOut(888, byte);
      std::exit(0);
    }
    close(ends[0]);
    commands_.reset(ends[1]);
  }
  ~Program() { end(); }

  void out(std::uint8_t byte) { EXPECT_EQ(write(commands_.get(), &byte, 1), 1); }
  void end() {
    commands_.reset();
    if (child_ > 0) waitpid(std::exchange(child_, -1), nullptr, 0);
  }

 private:
  pid_t child_ = -1;
  FileDescriptor commands_;
};

class SerialRelayTest : public ::testing::Test {
 protected:
  FakeSerialBoard board;
  TempFolder temp;
  std::string port = "serial:" + board.device();
};

TEST_F(SerialRelayTest, TheBoardGetsAllRelaysFirstThenTheChangedOnesAt9600BaudRaw) {
  Program chaser(port, temp.path());
  chaser.out(0x00);
  EXPECT_EQ(board.await(8), 0x00);
  chaser.out(0x05);
  EXPECT_EQ(board.await(10), 0x05);
  chaser.out(0xFA);
  chaser.end();  // its last write reaches the board before it ends
  EXPECT_EQ(board.await(18), 0xFA);
  EXPECT_EQ(board.frames, 18u);
  EXPECT_EQ(board.badFrames, 0u);
  const termios settings = board.settings();
  EXPECT_EQ(cfgetospeed(&settings), B9600);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), CS8);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
}

TEST_F(SerialRelayTest, OneProgramDrivesTheBoardAndTheOtherTakesOverWhenItEnds) {
  Program panel(port, temp.path());
  panel.out(0x01);
  EXPECT_EQ(board.await(8), 0x01);
  Program chaser(port, temp.path());
  chaser.out(0x02);  // written to the register; the panel drives it
  EXPECT_EQ(board.await(10), 0x02);
  panel.end();
  EXPECT_EQ(board.await(18), 0x02) << "the chaser drives all eight of the register's byte";
  chaser.out(0x06);
  EXPECT_EQ(board.await(19), 0x06);
  chaser.end();
  EXPECT_EQ(board.frames, 19u) << "never a frame from both";
  EXPECT_EQ(board.badFrames, 0u);
}

}  // namespace
}  // namespace velmo::port
