// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/command_runner.h"

#include <algorithm>
#include <string>

#include "system/standard_error.h"

namespace velmo::remote {

CommandRunner::CommandRunner(BusPrograms& programs, QObject* parent)
    : QObject(parent), programs_(programs) {
  report_.setSingleShot(true);
  connect(&report_, &QTimer::timeout, this, &CommandRunner::reportDropped);
}

void CommandRunner::run(const Command& command,
                        std::function<void(const BusPrograms::Outcome&)> done) {
  if (limiter_.admit(command, CommandLimiter::Clock::now())) {
    programs_.send(command, std::move(done));
    return;
  }
  if (!report_.isActive()) {
    const auto now = CommandLimiter::Clock::now();
    const auto due = reportedAt_ ? *reportedAt_ + kReportEvery : now;
    report_.start(std::chrono::ceil<std::chrono::milliseconds>(
        std::max(due - now, CommandLimiter::Clock::duration::zero())));
  }
  done(Refusal{429, "more than " + std::to_string(CommandLimiter::kMaxPerSecond) +
                        " commands a second for one line (or the chaser): this one was dropped"});
}

void CommandRunner::reportDropped() {
  const std::uint64_t dropped = limiter_.dropped();
  tellOnStandardError(std::to_string(dropped - reported_) +
                      " command(s) dropped: a line, and the chaser, take at most " +
                      std::to_string(CommandLimiter::kMaxPerSecond) +
                      " commands a second from all fronts together");
  reported_ = dropped;
  reportedAt_ = CommandLimiter::Clock::now();
}

}  // namespace velmo::remote
