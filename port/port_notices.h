// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "system/file_descriptor.h"

namespace velmo::port {

// News for the user about the port that is no failure of a port call, such
// as output lines that were lost or are back. The library prints nothing:
// it keeps the notices until the program takes them. Safe to use from any
// thread.
class PortNotices {
 public:
  PortNotices();

  // Readable while a notice waits; -1 when no descriptor could be had.
  int descriptor() const { return ready_.get(); }

  // Keeps text, "headline\ndetails", for take(). Only the latest few are
  // kept for a program that takes none.
  void post(std::string text);

  // The oldest notice waiting, or nothing.
  std::optional<std::string> take();

 private:
  std::mutex mutex_;
  std::deque<std::string> waiting_;
  FileDescriptor ready_;
};

// The notices of this process, which PortNotice() in velmo_port.h hands
// out. Never destroyed, so threads may post until the process ends.
PortNotices& processNotices();

}  // namespace velmo::port
