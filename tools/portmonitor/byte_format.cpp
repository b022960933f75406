// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/byte_format.h"

#include <time.h>

#include <cstdio>

namespace velmo::portmonitor {

bool lineIsOn(std::uint8_t byte, int line) {
  return (byte >> (line - 1)) & 1;
}

std::string hexText(std::uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string binaryText(std::uint8_t byte) {
  std::string bits;
  for (int line = kLineCount; line >= 1; --line) bits += lineIsOn(byte, line) ? '1' : '0';
  return bits;
}

std::string watchLine(std::chrono::system_clock::time_point when, const std::string& event,
                      std::uint8_t byte) {
  char decimal[4];
  std::snprintf(decimal, sizeof decimal, "%3d", byte);
  return watchNote(when, event, hexText(byte) + "  " + decimal + "  " + binaryText(byte));
}

std::string watchNote(std::chrono::system_clock::time_point when, const std::string& event,
                      const std::string& text) {
  using namespace std::chrono;
  const time_t seconds = system_clock::to_time_t(
      time_point_cast<system_clock::duration>(floor<std::chrono::seconds>(when)));
  const auto milliseconds =
      duration_cast<std::chrono::milliseconds>(when.time_since_epoch()) % 1000;
  tm local{};
  localtime_r(&seconds, &local);
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(milliseconds.count()));
  return std::string(clock) + "  " + event + " " + text;
}

}  // namespace velmo::portmonitor
