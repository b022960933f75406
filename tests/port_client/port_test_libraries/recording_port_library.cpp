// SPDX-License-Identifier: GPL-3.0-or-later
// A port library that records its calls, for the binding tests. Besides the
// three entries it offers Recorder* entries that let a test read the log,
// set the register byte and make the next call fail.
#include <cstdint>
#include <cstdio>
#include <cstring>

#define EXPORTED extern "C" __attribute__((visibility("default")))

namespace {

char callLog[4096];
std::int32_t registerValue = 0;
char nextFailure[256];
char lastFailure[256];  // the last call's failure, "" after a success

void logCall(const char* format, std::int32_t a, std::int32_t b = 0) {
  const std::size_t used = std::strlen(callLog);
  std::snprintf(callLog + used, sizeof callLog - used, format, a, b);
}

void finishCall() {
  std::memcpy(lastFailure, nextFailure, sizeof lastFailure);
  nextFailure[0] = '\0';
}

}  // namespace

EXPORTED void PortOut(std::int32_t port, std::int32_t value) {
  logCall("out %d %d;", port, value);
  registerValue = value;
  finishCall();
}

EXPORTED std::int32_t PortIn(std::int32_t port) {
  logCall("in %d;", port);
  finishCall();
  return registerValue;
}

EXPORTED const char* PortError() {
  return lastFailure[0] != '\0' ? lastFailure : nullptr;
}

EXPORTED const char* RecorderLog() {
  return callLog;
}

EXPORTED void RecorderSetRegister(std::int32_t value) {
  registerValue = value;
}

EXPORTED void RecorderFailNextCall(const char* reason) {
  std::snprintf(nextFailure, sizeof nextFailure, "%s", reason);
}
