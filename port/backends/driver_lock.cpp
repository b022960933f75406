// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/driver_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>

#include "port/data_register.h"
#include "system/errno_text.h"

namespace velmo::port {

DriverLock::DriverLock(const std::string& registerPath)
    : path_(registerPath + ".driver"), closes_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (!closes_) {
    throw PortAccessError("Cannot watch the driver lock " + path_ + ": " + errnoText(errno) + ".");
  }
  open();
}

void DriverLock::open() {
  FileDescriptor file(::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file) {
    throw PortAccessError("Cannot open the driver lock " + path_ + ": " + errnoText(errno) +
                          ". Check that you may write its folder.");
  }
  // A file made anew gets a watch of its own; the old one ends with its file.
  inotify_add_watch(closes_.get(), path_.c_str(), IN_CLOSE_WRITE);
  file_ = std::move(file);
  held_ = false;
}

bool DriverLock::hold() {
  alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
  while (read(closes_.get(), events, sizeof events) > 0) {
  }
  struct stat atPath {};
  struct stat locked {};
  const bool moved = stat(path_.c_str(), &atPath) != 0 || fstat(file_.get(), &locked) != 0 ||
                     atPath.st_ino != locked.st_ino || atPath.st_dev != locked.st_dev;
  if (moved) {
    try {
      open();
    } catch (const PortAccessError&) {
      return held_;  // the folder is gone for now: the next hold tries again
    }
  }
  if (!held_) held_ = flock(file_.get(), LOCK_EX | LOCK_NB) == 0;
  return held_;
}

}  // namespace velmo::port
