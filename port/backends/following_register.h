// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "port/backends/driver_lock.h"
#include "port/backends/output_lines.h"
#include "port/backends/output_presence.h"
#include "port/data_register.h"
#include "port/port_notices.h"
#include "port/register/register_watcher.h"
#include "port/register/simulated_register.h"
#include "system/file_descriptor.h"

namespace velmo::port {

// How the lines of each process follow the shared register.
struct Following {
  // How often the lines are checked while they hold a byte (for olad: its
  // universe's merge mode is learnt again; for a board: it is still there).
  std::chrono::milliseconds checkEvery;
  // Whether the lines are driven again with the register's byte when nobody
  // drove them for checkEvery, for a receiver that forgets a copy nobody
  // refreshes (olad drops a client's frame some 2.5 s after it came).
  bool refreshByte = false;
  // Whether the device admits one holder. Then the processes do not each
  // drive a copy: only the holder of the DriverLock beside the register
  // drives the device, with the register's byte whoever wrote it, and when
  // it ends another process takes over within a second and drives the
  // register's byte of that moment.
  bool soleDriver = false;
};

// Relay boards, GPIO lines and smart relays: one driver, checked every
// second; they keep what they were sent.
inline constexpr Following kRelayFollowing{std::chrono::seconds(1), false, true};

// A register whose lines are this process's own copy of lines that a receiver
// merges with the copies of other processes, as olad merges the frames of
// its clients: a stale copy of one process could outweigh the latest write
// of another. So that all processes act as one latch, every copy follows the
// simulated register that they share, which holds the last byte written:
//
// - a write sets the register and hands the byte to a thread of this
//   register's own, which drives the lines: a write never waits on the
//   device behind them;
// - the thread watches the register (inotify) and, whenever another process
//   changed it, drives this process's lines with the new byte;
// - every checkEvery the thread checks the lines and, for a receiver that
//   forgets (Following::refreshByte), drives them again with the
//   register's byte when they have not been driven for that long;
// - reads return the register.
//
// A device that admits one holder is driven by one process alone
// (Following::soleDriver); the others only write the register.
//
// When the device cannot be reached (olad stopped or gone), the register
// goes on as if it could, and the thread tries again after reconnectDelay,
// then drives the lines with the register's byte of that moment. The user
// learns of the loss and the return through notices and a marker (see
// OutputPresence).
//
// Until the other processes have followed a write, their copies may
// outweigh it: the time one process needs to wake up and send (a fraction
// of a millisecond on an idle machine; the OLA bench measures it). A process
// that has not written yet holds no copy and sends nothing. The thread only
// drives lines: writing the register from there could overwrite a newer
// byte of another process.
class FollowingRegister final : public DataRegister {
 public:
  // Follows the register at location with lines, checked first (by a sole
  // driver only when it holds the device): when they cannot be reached now,
  // the register starts without them and tells notices so. Throws
  // PortAccessError when the register cannot be watched, or for a failure
  // of the lines that trying again will not mend.
  FollowingRegister(std::unique_ptr<OutputLines> lines, const RegisterLocation& location,
                    Following following, PortNotices& notices);
  // Stops the thread once it has sent a write it had not taken yet, if the
  // device is there (each send is bounded), then lets go of the device and
  // only then of the driver lock.
  ~FollowingRegister() override;
  FollowingRegister(const FollowingRegister&) = delete;
  FollowingRegister& operator=(const FollowingRegister&) = delete;

  // Throws PortAccessError when the register cannot be written or read.
  void writeData(std::uint8_t value) override;
  std::uint8_t readData() override;

 private:
  using Clock = std::chrono::steady_clock;

  void follow();
  void wake();
  // Whether this process drives the lines; true when it just took over the
  // device from another.
  bool takeTurn();
  // Checks the lines and tells the user what they have to say about their
  // device.
  void checkLines();
  // Under the lock: takes another process's write as the byte to drive.
  void followRegister();
  // Drives the lines with byte when it is due (written, or new to them), and
  // checks them when a check or a try again is due, or checkNow; notes a
  // failure as the lines being away.
  void drive(std::optional<std::uint8_t> byte, bool due, bool checkNow = false);
  void noteAway(const PortAccessError& failure);
  // Milliseconds until the thread has something to do, -1 for never.
  int idleTime() const;

  // Shared with writers, under mutex_.
  std::mutex mutex_;
  SimulatedRegister register_;
  std::optional<std::uint8_t> wanted_;  // nothing until the first write
  bool unsent_ = false;                 // a write the thread has not taken yet
  bool stopping_ = false;

  // The thread's own (and the constructor's, before it starts).
  std::unique_ptr<OutputLines> lines_;
  Following following_;
  PortNotices& notices_;
  RegisterWatcher watcher_;
  std::unique_ptr<DriverLock> driverLock_;  // for a sole driver
  bool driving_ = true;
  OutputPresence presence_;
  std::optional<std::uint8_t> sent_;  // what the lines hold, as far as known
  Clock::time_point sentAt_;
  Clock::time_point refreshAt_;
  Clock::time_point retryAt_;
  unsigned failures_ = 0;  // tries in a row that failed

  FileDescriptor wakeUp_;
  std::thread thread_;
};

}  // namespace velmo::port
