// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/busy_load.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

namespace velmo::bench {

BusyLoad::BusyLoad(int loops, std::chrono::seconds bound) {
  for (int i = 0; i < loops; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(static_cast<unsigned>(bound.count()));  // SIGALRM ends the loop at the latest
      std::atomic<unsigned long> spin = 0;
      for (;;) spin.fetch_add(1, std::memory_order_relaxed);
    }
    if (child > 0) loops_.push_back(child);
  }
}

BusyLoad::~BusyLoad() {
  for (const pid_t loop : loops_) kill(loop, SIGKILL);
  for (const pid_t loop : loops_) waitpid(loop, nullptr, 0);
}

}  // namespace velmo::bench
