// The C entries of libvelmoport-ola.so. Everything else in the module is
// hidden, and no exception leaves it.
#include "port/ola/ola_module.h"

#include <cstring>
#include <exception>
#include <new>

#include "port/ola/ola_sender.h"

struct OlaPortSender {
  velmo::port::OlaSender sender;
};

namespace {

// The failure of this thread's last call; plain storage, as in the port
// library.
thread_local char lastError[1024];

void fail(const char* reason) {
  std::strncpy(lastError, reason, sizeof lastError - 1);
  lastError[sizeof lastError - 1] = '\0';
}

// Runs call; a failure is kept for OlaPortError() and gives false.
template <typename Call>
bool guarded(Call call) {
  lastError[0] = '\0';
  try {
    call();
    return true;
  } catch (const std::exception& error) {
    fail(error.what());
  } catch (...) {
    fail("The OLA module failed for an unknown reason.");
  }
  return false;
}

}  // namespace

extern "C" {

OlaPortSender* OlaPortOpen(uint32_t universe, uint32_t firstChannel, uint32_t rpcPort) {
  OlaPortSender* opened = nullptr;
  guarded([&] { opened = new OlaPortSender{{universe, firstChannel, rpcPort}}; });
  return opened;
}

int OlaPortWrite(OlaPortSender* sender, uint8_t lines) {
  return guarded([&] { sender->sender.write(lines); }) ? 0 : -1;
}

void OlaPortClose(OlaPortSender* sender) {
  delete sender;
}

const char* OlaPortError(void) {
  return lastError;
}

}  // extern "C"
