// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

#include "tools/remote/bus_programs.h"
#include "tools/remote/command_limiter.h"

namespace velmo::remote {

// The one way a command of any front (HTTP, the push channel, OSC) reaches
// the programs: held to CommandLimiter, then sent over the bus. Dropped
// commands are told on standard error, once a minute at most.
class CommandRunner : public QObject {
  Q_OBJECT

 public:
  explicit CommandRunner(BusPrograms& programs, QObject* parent = nullptr);

  // Runs command; done gets, on the event loop, nothing when the program
  // carried it out, else why not: 429 when it was over its line's limit and
  // dropped, else what BusPrograms::send tells.
  void run(const Command& command, std::function<void(const BusPrograms::Outcome&)> done);

  static constexpr std::chrono::minutes kReportEvery{1};

 private:
  void reportDropped();

  BusPrograms& programs_;
  CommandLimiter limiter_;
  QTimer report_;
  std::uint64_t reported_ = 0;  // limiter_.dropped() at the last report
  std::optional<CommandLimiter::Clock::time_point> reportedAt_;
};

}  // namespace velmo::remote
