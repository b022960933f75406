// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/remote_program.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <algorithm>
#include <cctype>

namespace velmo::cli {
namespace {

// Long enough for the bus to start a program that was not running.
constexpr int kCallTimeoutMs = 25000;
constexpr int kReadTimeoutMs = 5000;

QString text(std::string_view view) {
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

QDBusMessage methodCall(const RemoteProgram& program, const std::string& target,
                        const QString& interface, const QString& method) {
  return QDBusMessage::createMethodCall(QString::fromStdString(dbus::busName(program.bus, target)),
                                        text(program.bus.path), interface, method);
}

BusAnswer answerTo(QDBusConnection& bus, const QDBusMessage& call, int timeoutMs) {
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
  if (reply.type() != QDBusMessage::ErrorMessage) {
    return {BusAnswer::Outcome::kDone, reply.arguments().value(0), {}};
  }
  const QString error = reply.errorName();
  if (error == "org.freedesktop.DBus.Error.ServiceUnknown" ||
      error == "org.freedesktop.DBus.Error.NameHasNoOwner") {
    return {BusAnswer::Outcome::kNotRunning, {}, {}};
  }
  return {BusAnswer::Outcome::kFailed, {}, reply.errorMessage()};
}

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

BusAnswer callProgram(QDBusConnection& bus, const RemoteProgram& program, const std::string& target,
                      const QString& method, const QVariantList& arguments) {
  QDBusMessage call = methodCall(program, target, text(program.bus.interface), method);
  call.setArguments(arguments);
  return answerTo(bus, call, kCallTimeoutMs);
}

BusAnswer readProgramProperty(QDBusConnection& bus, const RemoteProgram& program,
                              const std::string& target, const QString& property,
                              Activation activation) {
  QDBusMessage call = methodCall(program, target, "org.freedesktop.DBus.Properties", "Get");
  call << text(program.bus.interface) << property;
  const bool start = activation == Activation::kWhereInstalled;
  call.setAutoStartService(start);
  BusAnswer answer = answerTo(bus, call, start ? kCallTimeoutMs : kReadTimeoutMs);
  answer.value = answer.value.value<QDBusVariant>().variant();
  return answer;
}

std::string notRunningMessage(const RemoteProgram& program, const std::string& target,
                              const std::string& programFolder) {
  const std::string port = target.empty() ? "the default port" : "the port " + target;
  const std::string environment = target.empty() ? "" : "VELMO_PORT=" + shellWord(target) + " ";
  return std::string(program.title) + " is not running for " + port + "; start it with " +
         environment + std::string(program.command) + " (or " + environment +
         shellWord(programFolder + "/" + std::string(program.file)) + ")";
}

}  // namespace velmo::cli
