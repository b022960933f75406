// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo::dbus {

// Who a program is, as cmake/VelmoPrograms.cmake writes it once; dbus/programs.h
// has each (kChaser, kSwitchPanel, kRemote). Its interface is its XML's (dbus/).
struct ProgramIdentity {
  std::string_view file;     // its file in the program folder: "chaser"
  std::string_view command;  // the installed command that starts it: "velmo-chaser"
  std::string_view service;  // bus name on the default port target, desktop id, application id
  std::string_view path;     // object path
  std::string_view title;    // what messages call it: "the chaser"
};

// The error name of a call whose arguments are out of range or of the wrong
// types; its message says what is valid.
inline constexpr std::string_view kInvalidArgumentError = "org.velmo.Error.InvalidArgument";

// The bus name of a program on a port target: its service name on the
// default target (target ""), otherwise the service name with one more
// element that carries the target, so that programs on different targets
// run side by side: every byte of target but A-Z, a-z and 0-9 is written as
// "_" and two lowercase hex digits, as GLib escapes object paths
// ("ola:1:1@9010" gives org.velmo.Chaser.ola_3a1_3a1_409010). A target too
// long for a bus name is carried as "h" and 16 hex digits of its FNV-1a hash.
std::string busName(const ProgramIdentity& program, std::string_view target);

}  // namespace velmo::dbus
