// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/schedule_commands.h"

#include <QCoreApplication>
#include <chrono>
#include <variant>

#include "port/port_lines.h"
#include "schedule/calendar.h"
#include "schedule/schedule_file.h"
#include "tools/velmo/run_command.h"
#include "tools/velmo/schedule_runner.h"

namespace velmo::cli {
namespace {

using port::kLineCount;

// The programs driven by the velmo command's own calls, so a show gives the
// port exactly what `velmo chaser start N`, `velmo chaser stop` and
// `velmo line N on|off` give.
class BusPrograms final : public schedule::Programs {
 public:
  BusPrograms(const port::PortView& view, std::ostream& out, std::ostream& err)
      : view_(view), out_(out), err_(err) {}

  bool startPattern(unsigned pattern) override {
    return run({Action::kChaserStart, {pattern}, false, {}});
  }
  bool stopPattern() override { return run({Action::kChaserStop, {}, false, {}}); }
  bool setLines(std::uint8_t lines) override {
    for (unsigned line = 1; line <= kLineCount; ++line) {
      if (!run({Action::kSetLine, {line, (lines >> (line - 1)) & 1u}, false, {}})) return false;
    }
    return true;
  }

 private:
  bool run(const Command& command) {
    const bool done = runCommand(command, view_, out_, err_) == 0;
    err_.flush();
    return done;
  }

  const port::PortView& view_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

int listSchedule(const std::string& path, std::optional<std::string> from, unsigned days,
                 std::ostream& out, std::ostream& err) {
  auto read = schedule::readScheduleFile(path);
  if (const auto* problem = std::get_if<std::string>(&read)) {
    err << "velmo: " << *problem << '\n';
    return 1;
  }
  const schedule::SystemTimeZone zone;
  const schedule::Calendar calendar(std::get<schedule::Schedule>(read), zone);
  const auto now = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now());
  const schedule::LocalTime start =
      from ? *schedule::parseLocalText(*from) : schedule::localTimeAt(zone, now);
  const auto events = calendar.eventsBetween(
      schedule::instantOf(zone, start), schedule::instantOf(zone, start + std::chrono::days(days)));
  for (const schedule::Event& event : events) out << calendar.line(event) << '\n';
  return 0;
}

int runSchedule(const std::string& path, const port::PortView& view, std::ostream& out,
                std::ostream& err) {
  BusPrograms programs(view, out, err);
  ScheduleRunner runner(path, programs, out, err);
  if (!runner.start()) return 1;
  return QCoreApplication::exec();
}

}  // namespace velmo::cli
