// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "system/file_descriptor.h"

namespace velmo::port {

// Who drives a device that admits one holder (GPIO lines, a claimed USB
// interface, a serial line whose frames must not interleave): of the
// processes on one register, the one that holds an exclusive lock (flock) on
// the file REGISTER.driver beside it. The others only write the register.
// The kernel drops the lock with the process, however it ends.
class DriverLock {
 public:
  // The lock beside the register at registerPath, whose folder must exist;
  // takes nothing yet. Throws PortAccessError when the lock file cannot be
  // opened (made 0600 when missing; a symbolic link is refused).
  explicit DriverLock(const std::string& registerPath);

  // Whether this process holds the lock now, taking it when it is free.
  // When the path names another file than the one locked (the folder was
  // made anew), the new file is locked instead, if it can be.
  bool hold();

  // Readable when a process closed the lock file, as its holder does when it
  // ends: hold() may then take it. hold() takes the events.
  int descriptor() const { return closes_.get(); }

 private:
  void open();

  std::string path_;
  FileDescriptor closes_;
  FileDescriptor file_;
  bool held_ = false;
};

}  // namespace velmo::port
