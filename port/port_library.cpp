// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of libvelmoport.so. Everything else in the library is hidden.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "port/port_notices.h"
#include "port/port_service.h"
#include "port/velmo_port.h"
#include "system/guarded_entry.h"

namespace {

using velmo::port::PortEnvironment;
using velmo::port::PortService;

std::mutex serviceMutex;
std::unique_ptr<PortService> service;

// Runs access on the service, which is set up from the environment at the
// first call (after a failed set-up, the next call tries again). Failures
// are kept for PortError(); nothing is printed and the process never exits.
template <typename Access>
std::int32_t guarded(Access access) {
  return velmo::guardedEntry<std::int32_t>(
      0, "The port library failed for an unknown reason.", [&]() -> std::int32_t {
        const std::lock_guard lock(serviceMutex);
        if (!service) service = std::make_unique<PortService>(PortEnvironment::current());
        return access(*service);
      });
}

}  // namespace

extern "C" {

void PortOut(std::int32_t port, std::int32_t value) {
  guarded([&](PortService& ports) {
    ports.out(port, value);
    return 0;
  });
}

std::int32_t PortIn(std::int32_t port) {
  return guarded([&](PortService& ports) { return ports.in(port); });
}

const char* PortTarget(void) {
  thread_local std::string target;
  return velmo::guardedEntry<const char*>(
      nullptr, "The port library failed for an unknown reason.", [] {
        target = velmo::port::targetName(velmo::port::parsePortSetting(PortEnvironment::current()));
        return target.c_str();
      });
}

const char* PortError(void) {
  return velmo::entryFailureText();
}

int PortNoticeDescriptor(void) {
  return velmo::port::processNotices().descriptor();
}

const char* PortNotice(void) {
  thread_local std::string notice;
  try {
    auto next = velmo::port::processNotices().take();
    if (!next) return nullptr;
    notice = std::move(*next);
    return notice.c_str();
  } catch (...) {
    return nullptr;  // out of memory: the notice is dropped, PortError untouched
  }
}

}  // extern "C"
