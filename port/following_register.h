// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "port/data_register.h"
#include "port/output_lines.h"
#include "port/register_watcher.h"
#include "port/simulated_register.h"
#include "system/file_descriptor.h"

namespace velmo::port {

// A register whose lines are this process's own copy of lines that a receiver
// merges with the copies of other processes, as olad merges the frames of
// its clients: a stale copy of one process could outweigh the latest write
// of another. So that all processes act as one latch, every copy follows the
// simulated register that they share, which holds the last byte written:
//
// - a write drives this process's lines, then the register;
// - a thread of its own watches the register (inotify) and, whenever another
//   process changed it, drives this process's lines with the new byte;
// - the same thread drives the lines again with the register's byte every
//   refresh interval, for a receiver that forgets a copy nobody refreshes
//   (olad drops a client's frame from the merge some 2.5 s after it came,
//   and another client's next frame would then take the lines);
// - reads return the register.
//
// Until the other processes have followed a write, their copies may
// outweigh it: the time one process needs to wake up and send (a fraction
// of a millisecond on an idle machine; the OLA bench measures it). A process
// that has not written yet holds no copy and sends nothing.
//
// Writes and the thread's sends are serialised, and the thread reads the
// register under the same lock as a write, so it never sends a byte older
// than this process's own last write. It only drives lines: writing the
// register from there could overwrite a newer byte of another process.
class FollowingRegister final : public DataRegister {
 public:
  // Follows the register at location, and drives the lines again every
  // refresh. Throws PortAccessError when the register cannot be watched.
  FollowingRegister(std::unique_ptr<OutputLines> lines, const RegisterLocation& location,
                    std::chrono::milliseconds refresh);
  // Stops the thread; waits for a send in progress, which is bounded.
  ~FollowingRegister() override;
  FollowingRegister(const FollowingRegister&) = delete;
  FollowingRegister& operator=(const FollowingRegister&) = delete;

  // Throws PortAccessError, also when following failed since the last
  // access (the lines are then gone, e.g. olad went away).
  void writeData(std::uint8_t value) override;
  std::uint8_t readData() override;

 private:
  void follow();
  // Drives the lines with the register's byte when it differs from theirs,
  // or always when refreshing; nothing before the first write.
  void followRegister(bool refreshing);
  void throwIfFollowingFailed() const;

  std::mutex mutex_;
  std::unique_ptr<OutputLines> lines_;
  std::chrono::milliseconds refresh_;
  SimulatedRegister register_;
  RegisterWatcher watcher_;
  std::optional<std::uint8_t> linesHold_;  // nothing until the first write
  std::string followingFailure_;
  FileDescriptor stop_;
  std::thread thread_;
};

}  // namespace velmo::port
