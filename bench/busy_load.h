// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <chrono>
#include <vector>

namespace velmo::bench {

// Busy loops in processes of their own, as other work on a busy machine:
// each spins at normal priority until the load is gone, and at most for
// bound (it ends itself then, and when its parent ends).
class BusyLoad {
 public:
  BusyLoad(int loops, std::chrono::seconds bound);
  ~BusyLoad();
  BusyLoad(const BusyLoad&) = delete;
  BusyLoad& operator=(const BusyLoad&) = delete;

 private:
  std::vector<pid_t> loops_;
};

}  // namespace velmo::bench
