// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/remote_program.h"

#include <algorithm>
#include <cctype>

namespace velmo::cli {
namespace {

// A shell word that stands for text as it is.
std::string shellWord(const std::string& text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("/:.@_-+=,").find(c) != std::string_view::npos;
  });
  if (plain) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string notRunningMessage(const dbus::ProgramIdentity& program, const std::string& target,
                              const std::string& programFolder) {
  const std::string port = target.empty() ? "the default port" : "the port " + target;
  const std::string environment = target.empty() ? "" : "VELMO_PORT=" + shellWord(target) + " ";
  return std::string(program.title) + " is not running for " + port + "; start it with " +
         environment + std::string(program.command) + " (or " + environment +
         shellWord(programFolder + "/" + std::string(program.file)) + ")";
}

}  // namespace velmo::cli
