// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <string>
#include <string_view>

#include "dbus/bus_names.h"

namespace velmo::cli {

// One of the programs as the velmo command reaches and names it.
struct RemoteProgram {
  const dbus::BusAddress& bus;
  std::string_view title;    // "the chaser", for messages
  std::string_view command;  // the installed command that starts it
  std::string_view file;     // its file in the program folder
};

inline constexpr RemoteProgram kChaser{dbus::kChaserBus, "the chaser", "velmo-chaser", "chaser"};
inline constexpr RemoteProgram kSwitchPanel{dbus::kSwitchPanelBus, "the switch panel",
                                            "velmo-switchpanel", "switchpanel"};
inline constexpr RemoteProgram kRemote{dbus::kRemoteBus, "the remote", "velmo-remote", "remote"};

// How a call to a program went.
struct BusAnswer {
  enum class Outcome { kDone, kNotRunning, kFailed };
  Outcome outcome = Outcome::kDone;
  QVariant value;   // kDone: the property read, when one was
  QString message;  // kFailed: the error's message
};

// Calls method of the program's own interface, with arguments, on the
// instance for the port target, and waits for its answer. The bus starts a
// program that is not running when it can (D-Bus activation); when it
// cannot, the answer is kNotRunning.
BusAnswer callProgram(QDBusConnection& bus, const RemoteProgram& program, const std::string& target,
                      const QString& method, const QVariantList& arguments);

// Reads a property of the program's own interface from the instance for the
// port target. Starts the program (D-Bus activation, where installed) only
// when told to.
enum class Activation { kNever, kWhereInstalled };
BusAnswer readProgramProperty(QDBusConnection& bus, const RemoteProgram& program,
                              const std::string& target, const QString& property,
                              Activation activation = Activation::kNever);

// What to tell when the program does not run for the port target, with how
// to start it from the command line: "the chaser is not running for the
// default port; start it with velmo-chaser (or FOLDER/chaser)", FOLDER
// being the program folder.
std::string notRunningMessage(const RemoteProgram& program, const std::string& target,
                              const std::string& programFolder);

}  // namespace velmo::cli
