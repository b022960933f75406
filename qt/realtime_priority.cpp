// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/realtime_priority.h"

#include <sched.h>
#include <sys/resource.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "system/errno_text.h"
#include "system/standard_error.h"

namespace velmo::qt {
namespace {

constexpr const char* kRealtimeKit = "org.freedesktop.RealtimeKit1";
constexpr const char* kRealtimeKitPath = "/org/freedesktop/RealtimeKit1";
constexpr int kRealtimeKitTimeoutMs = 2000;

void boundCpuTime(long limitUs) {
  rlimit limit{};
  if (getrlimit(RLIMIT_RTTIME, &limit) != 0) return;
  const auto wanted = static_cast<rlim_t>(limitUs);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted) return;  // tighter already
  limit.rlim_cur = limit.rlim_max = wanted;
  setrlimit(RLIMIT_RTTIME, &limit);
}

std::string throughScheduler(pid_t thread) {
  rlimit allowed{};
  getrlimit(RLIMIT_RTPRIO, &allowed);
  for (const int priority : {kRealTimePriority, static_cast<int>(std::min<rlim_t>(
                                                    allowed.rlim_cur, kRealTimePriority))}) {
    if (priority < 1) continue;
    sched_param parameter{};
    parameter.sched_priority = priority;
    if (sched_setscheduler(thread, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameter) == 0) return "";
  }
  return "sched_setscheduler: " + errnoText(errno) + " (RLIMIT_RTPRIO " +
         std::to_string(allowed.rlim_cur) + ")";
}

std::string throughRealtimeKit(pid_t thread) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return "RealtimeKit: no system bus";
  QDBusInterface kit(kRealtimeKit, kRealtimeKitPath, kRealtimeKit, bus);
  kit.setTimeout(kRealtimeKitTimeoutMs);
  const QVariant highest = kit.property("MaxRealtimePriority");
  const QVariant cpuLimit = kit.property("RTTimeUSecMax");
  if (cpuLimit.isValid()) boundCpuTime(static_cast<long>(cpuLimit.toLongLong()));
  const int priority =
      highest.isValid() ? std::min(highest.toInt(), kRealTimePriority) : kRealTimePriority;
  const QDBusReply<void> reply =
      kit.call("MakeThreadRealtime", QVariant::fromValue(quint64(thread)),
               QVariant::fromValue(quint32(priority)));
  if (reply.isValid()) return "";
  return "RealtimeKit: " + reply.error().message().toStdString();
}

}  // namespace

std::string raiseToRealTime(pid_t thread) {
  boundCpuTime(kRealTimeCpuLimitUs);
  const std::string scheduler = throughScheduler(thread);
  if (scheduler.empty()) return "";
  const std::string kit = throughRealtimeKit(thread);
  if (kit.empty()) return "";
  return scheduler + "; " + kit;
}

std::vector<pid_t> threadsNamed(const std::string& name) {
  std::vector<pid_t> threads;
  std::error_code ignored;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
    std::string comm;
    std::getline(std::ifstream(task.path() / "comm"), comm);
    if (comm == name) threads.push_back(static_cast<pid_t>(std::stol(task.path().filename())));
  }
  return threads;
}

void raiseStepWorkToRealTime(pid_t stepThread) {
  std::vector<pid_t> threads = threadsNamed("velmo-output");
  threads.insert(threads.begin(), stepThread);
  for (const pid_t thread : threads) {
    const std::string refused = raiseToRealTime(thread);
    if (refused.empty()) continue;
    tellOnStandardError(
        "the steps run at normal priority, so a busy machine can make them late: real-time "
        "priority was not granted (" +
        refused +
        "). To grant it, install rtkit, or give your group a real-time limit in "
        "/etc/security/limits.d (for example \"@audio - rtprio 20\", then log in again); see "
        "velmo-chaser(1).");
    return;
  }
}

}  // namespace velmo::qt
