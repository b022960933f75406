// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/run_command.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <optional>
#include <variant>

#include "dbus/bus_client.h"
#include "tools/velmo/page_opener.h"
#include "tools/velmo/remote_program.h"
#include "tools/velmo/status_report.h"

namespace velmo::cli {
namespace {

constexpr int kProblemStatus = 1;
// Long enough for the bus to start a program that was not running.
constexpr int kCallTimeoutMs = 25000;
constexpr int kReadTimeoutMs = 5000;

std::string programFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

int tellNotRunning(const dbus::ProgramIdentity& program, const PortView& view, std::ostream& err) {
  err << "velmo: " << notRunningMessage(program, view.target, programFolder()) << '\n';
  return kProblemStatus;
}

int tellFailed(const dbus::ProgramIdentity& program, const QString& message, std::ostream& err) {
  err << "velmo: " << program.title << " refused: " << message.toStdString() << '\n';
  return kProblemStatus;
}

// Waits for the answer to a call to program, and tells what went wrong.
int finish(const dbus::ProgramIdentity& program, const PortView& view, QDBusPendingCall call,
           std::ostream& err) {
  call.waitForFinished();
  if (!call.isError()) return 0;
  if (dbus::failureOf(call.error()) == dbus::CallFailure::kNotRunning) {
    return tellNotRunning(program, view, err);
  }
  return tellFailed(program, call.error().message(), err);
}

// Reads the properties of the program behind proxy into known: whether it
// runs, or the message of a failed read.
std::variant<bool, QString> readInto(const QDBusAbstractInterface& proxy,
                                     dbus::Activation activation, dbus::KnownProperties& known) {
  QDBusPendingReply<QVariantMap> reply = dbus::readProperties(proxy, activation);
  reply.waitForFinished();
  if (!reply.isError()) {
    known.take(reply.value());
    return true;
  }
  if (dbus::failureOf(reply.error()) == dbus::CallFailure::kNotRunning) return false;
  return reply.error().message();
}

// Each pattern as "<number> <name>", one a line. Never starts the chaser.
int list(const dbus::ChaserProxy& chaser, const PortView& view, std::ostream& out,
         std::ostream& err) {
  dbus::registerChaserTypes();
  QDBusPendingReply<QVariantMap> reply = dbus::readProperties(chaser, dbus::Activation::kNever);
  reply.waitForFinished();
  if (reply.isError()) {
    if (dbus::failureOf(reply.error()) == dbus::CallFailure::kNotRunning) {
      return tellNotRunning(dbus::kChaser, view, err);
    }
    return tellFailed(dbus::kChaser, reply.error().message(), err);
  }
  for (const dbus::PatternEntry& entry :
       qdbus_cast<dbus::PatternEntries>(reply.value().value("Patterns"))) {
    out << entry.number << ' ' << entry.name.toStdString() << '\n';
  }
  out << std::flush;
  return 0;
}

int status(QDBusConnection& bus, const PortView& view, bool json, std::ostream& out,
           std::ostream& err) {
  StatusReport report{view.target, view.location.path, readRegister(view), {}, {}};
  dbus::KnownProperties chaser;
  const auto chaserRuns =
      readInto(*dbus::reach<dbus::ChaserProxy>(dbus::kChaser, view.target, bus, kReadTimeoutMs),
               dbus::Activation::kNever, chaser);
  if (const QString* failure = std::get_if<QString>(&chaserRuns))
    return tellFailed(dbus::kChaser, *failure, err);
  dbus::KnownProperties panel;
  const auto panelRuns = readInto(
      *dbus::reach<dbus::SwitchPanelProxy>(dbus::kSwitchPanel, view.target, bus, kReadTimeoutMs),
      dbus::Activation::kNever, panel);
  if (const QString* failure = std::get_if<QString>(&panelRuns))
    return tellFailed(dbus::kSwitchPanel, *failure, err);
  if (std::get<bool>(chaserRuns)) report.pattern = chaser.as<dbus::ChaserAdaptor>().pattern();
  if (std::get<bool>(panelRuns)) report.lines = panel.as<dbus::SwitchPanelAdaptor>().lines();
  out << (json ? statusJson(report) : statusText(report)) << std::flush;
  if (report.pattern || report.lines) return 0;
  tellNotRunning(dbus::kChaser, view, err);
  return tellNotRunning(dbus::kSwitchPanel, view, err);
}

// The remote's page with its token, from the remote itself (started where
// it is installed): the session bus admits only the user.
int remotePage(QDBusConnection& bus, const PortView& view, bool open, std::ostream& out,
               std::ostream& err) {
  dbus::KnownProperties remote;
  const auto runs =
      readInto(*dbus::reach<dbus::RemoteProxy>(dbus::kRemote, view.target, bus, kCallTimeoutMs),
               dbus::Activation::kWhereInstalled, remote);
  if (const QString* failure = std::get_if<QString>(&runs))
    return tellFailed(dbus::kRemote, *failure, err);
  if (!std::get<bool>(runs)) return tellNotRunning(dbus::kRemote, view, err);
  const std::string address = remote.as<dbus::RemoteAdaptor>().pageAddress().toStdString();
  if (!open) {
    out << address << '\n';
    return 0;
  }
  out << std::flush;
  err << "velmo: " << openPrivately(address) << '\n';
  return kProblemStatus;
}

}  // namespace

int runCommand(const Command& command, const PortView& view, std::ostream& out, std::ostream& err) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    err << "velmo: no session bus to reach the programs on ("
        << bus.lastError().message().toStdString() << ")\n";
    return kProblemStatus;
  }
  const std::vector<unsigned>& arguments = command.arguments;
  const auto chaser = [&] {
    return dbus::reach<dbus::ChaserProxy>(dbus::kChaser, view.target, bus, kCallTimeoutMs);
  };
  switch (command.action) {
    case Action::kChaserStart:
      return finish(dbus::kChaser, view, chaser()->Start(arguments.at(0)), err);
    case Action::kChaserStop:
      return finish(dbus::kChaser, view, chaser()->Stop(), err);
    case Action::kChaserList:
      return list(*chaser(), view, out, err);
    case Action::kChaserSpeed:
      return finish(dbus::kChaser, view, chaser()->SetSpeed(arguments.at(0) / kSpeedUnit), err);
    case Action::kChaserTap:
      return finish(dbus::kChaser, view, chaser()->Tap(), err);
    case Action::kSetLine:
      return finish(
          dbus::kSwitchPanel, view,
          dbus::reach<dbus::SwitchPanelProxy>(dbus::kSwitchPanel, view.target, bus, kCallTimeoutMs)
              ->SetLine(arguments.at(0), arguments.at(1) == 1),
          err);
    case Action::kStatus:
      return status(bus, view, command.json, out, err);
    case Action::kRemoteUrl:
    case Action::kRemoteOpen:
      return remotePage(bus, view, command.action == Action::kRemoteOpen, out, err);
    case Action::kScheduleList:
    case Action::kScheduleRun:
      break;  // not a call to a program: see schedule_commands.h
  }
  return kProblemStatus;
}

}  // namespace velmo::cli
