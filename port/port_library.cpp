// The C entries of libvelmoport.so. Everything else in the library is hidden.
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>

#include "port/port_service.h"
#include "port/velmo_port.h"

namespace {

using velmo::port::PortEnvironment;
using velmo::port::PortService;

std::mutex serviceMutex;
std::unique_ptr<PortService> service;

// The failure of this thread's last call. Plain storage, so the library holds
// no thread-local object that would need destroying.
thread_local char lastError[1024];
thread_local bool lastCallFailed = false;

void fail(const char* reason) {
  std::strncpy(lastError, reason, sizeof lastError - 1);
  lastError[sizeof lastError - 1] = '\0';
  lastCallFailed = true;
}

// Runs access on the service, which is set up from the environment at the
// first call (after a failed set-up, the next call tries again). Failures
// are kept for PortError(); nothing is printed and the process never exits.
template <typename Access>
std::int32_t guarded(Access access) {
  lastCallFailed = false;
  try {
    const std::lock_guard lock(serviceMutex);
    if (!service) service = std::make_unique<PortService>(PortEnvironment::current());
    return access(*service);
  } catch (const std::exception& error) {
    fail(error.what());
  } catch (...) {
    fail("The port library failed for an unknown reason.");
  }
  return 0;
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

const char* PortError(void) {
  return lastCallFailed ? lastError : nullptr;
}

}  // extern "C"
