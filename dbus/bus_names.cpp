// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_names.h"

#include <cstdint>
#include <cstdio>

namespace velmo::dbus {
namespace {

// The longest bus name the bus takes.
constexpr std::size_t kMaxBusName = 255;

bool isAlphanumeric(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string escaped(std::string_view target) {
  std::string element;
  for (const char c : target) {
    if (isAlphanumeric(c)) {
      element += c;
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "_%02x", static_cast<unsigned char>(c));
    element += hex;
  }
  return element;
}

std::string hashed(std::string_view target) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (const char c : target) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
  char hex[20];
  std::snprintf(hex, sizeof hex, "h%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

}  // namespace

std::string busName(const ProgramIdentity& program, std::string_view target) {
  std::string name(program.service);
  if (target.empty()) return name;
  std::string element = escaped(target);
  // An element may not start with a digit; targets start with their backend's
  // prefix, but a hash keeps any other target valid too.
  if (name.size() + 1 + element.size() > kMaxBusName || !isAlphanumeric(element.front()) ||
      (element.front() >= '0' && element.front() <= '9')) {
    element = hashed(target);
  }
  return name + "." + element;
}

}  // namespace velmo::dbus
