// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/run_command.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <optional>
#include <variant>

#include "tools/velmo/remote_program.h"
#include "tools/velmo/status_report.h"

namespace velmo::cli {
namespace {

constexpr int kProblemStatus = 1;

std::string programFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

int tellNotRunning(const RemoteProgram& program, const port::PortView& view, std::ostream& err) {
  err << "velmo: " << notRunningMessage(program, view.target, programFolder()) << '\n';
  return kProblemStatus;
}

int tellFailed(const RemoteProgram& program, const QString& message, std::ostream& err) {
  err << "velmo: " << program.title << " refused: " << message.toStdString() << '\n';
  return kProblemStatus;
}

int call(QDBusConnection& bus, const RemoteProgram& program, const port::PortView& view,
         const QString& method, const QVariantList& arguments, std::ostream& err) {
  const BusAnswer answer = callProgram(bus, program, view.target, method, arguments);
  switch (answer.outcome) {
    case BusAnswer::Outcome::kDone:
      return 0;
    case BusAnswer::Outcome::kNotRunning:
      return tellNotRunning(program, view, err);
    case BusAnswer::Outcome::kFailed:
      return tellFailed(program, answer.message, err);
  }
  return kProblemStatus;
}

// The property of a program for status: its value, none when the program
// does not run, or the message of a failed read.
std::variant<std::optional<unsigned>, QString> readForStatus(QDBusConnection& bus,
                                                             const RemoteProgram& program,
                                                             const port::PortView& view,
                                                             const QString& property) {
  const BusAnswer answer = readProgramProperty(bus, program, view.target, property);
  if (answer.outcome == BusAnswer::Outcome::kFailed) return answer.message;
  if (answer.outcome == BusAnswer::Outcome::kNotRunning) return std::optional<unsigned>();
  return std::optional<unsigned>(answer.value.toUInt());
}

int status(QDBusConnection& bus, const port::PortView& view, bool json, std::ostream& out,
           std::ostream& err) {
  StatusReport report{view.target, view.location.path, port::readRegister(view), {}, {}};
  const auto pattern = readForStatus(bus, kChaser, view, "Pattern");
  if (const QString* failure = std::get_if<QString>(&pattern))
    return tellFailed(kChaser, *failure, err);
  const auto lines = readForStatus(bus, kSwitchPanel, view, "Lines");
  if (const QString* failure = std::get_if<QString>(&lines))
    return tellFailed(kSwitchPanel, *failure, err);
  report.pattern = std::get<std::optional<unsigned>>(pattern);
  report.lines = std::get<std::optional<unsigned>>(lines);
  out << (json ? statusJson(report) : statusText(report)) << std::flush;
  if (report.pattern || report.lines) return 0;
  tellNotRunning(kChaser, view, err);
  return tellNotRunning(kSwitchPanel, view, err);
}

}  // namespace

int runCommand(const Command& command, const port::PortView& view, std::ostream& out,
               std::ostream& err) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    err << "velmo: no session bus to reach the programs on ("
        << bus.lastError().message().toStdString() << ")\n";
    return kProblemStatus;
  }
  const std::vector<unsigned>& arguments = command.arguments;
  switch (command.action) {
    case Action::kChaserStart:
      return call(bus, kChaser, view, "Start", {arguments.at(0)}, err);
    case Action::kChaserStop:
      return call(bus, kChaser, view, "Stop", {}, err);
    case Action::kSetLine:
      return call(bus, kSwitchPanel, view, "SetLine", {arguments.at(0), arguments.at(1) == 1}, err);
    case Action::kStatus:
      return status(bus, view, command.json, out, err);
  }
  return kProblemStatus;
}

}  // namespace velmo::cli
