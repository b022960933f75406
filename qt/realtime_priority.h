// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmo::qt {

// Real-time scheduling for the threads that write the steps, so that a busy
// machine does not make them late.
inline constexpr int kRealTimePriority = 20;  // SCHED_FIFO; RealtimeKit's usual highest
// CPU time a real-time thread of ours may take without blocking before the
// kernel ends the program, so a runaway can never lock the machine.
inline constexpr long kRealTimeCpuLimitUs = 200'000;

// Raises thread (an id of a thread of this process) to SCHED_FIFO at
// kRealTimePriority, or as high as RLIMIT_RTPRIO allows, not inherited by
// children: through sched_setscheduler where the limits allow, else by
// asking RealtimeKit on the system bus, as audio servers do. First bounds
// the process's RLIMIT_RTTIME to kRealTimeCpuLimitUs. Returns "" when
// granted, else why not.
std::string raiseToRealTime(pid_t thread);

// The threads of this process named name (as ps and top show them).
std::vector<pid_t> threadsNamed(const std::string& name);

// Raises the threads that do the step work: stepThread and the port
// library's output threads ("velmo-output"). Tells once on standard error
// when it is not granted, with how to grant it.
void raiseStepWorkToRealTime(pid_t stepThread);

}  // namespace velmo::qt
