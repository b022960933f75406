// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of libvelmoport-ola.so. Everything else in the module is
// hidden, and no exception leaves it.
#include "port/ola/ola_module.h"

#include "port/ola/ola_sender.h"
#include "system/guarded_entry.h"

struct OlaPortSender {
  velmo::port::OlaSender sender;
};

namespace {

constexpr const char* kUnknownFailure = "The OLA module failed for an unknown reason.";

}  // namespace

extern "C" {

OlaPortSender* OlaPortOpen(uint32_t universe, uint32_t firstChannel, uint32_t rpcPort) {
  return velmo::guardedEntry<OlaPortSender*>(nullptr, kUnknownFailure, [&] {
    return new OlaPortSender{{universe, firstChannel, rpcPort}};
  });
}

int OlaPortWrite(OlaPortSender* sender, uint8_t lines) {
  return velmo::guardedEntry(-1, kUnknownFailure, [&] {
    sender->sender.write(lines);
    return 0;
  });
}

void OlaPortClose(OlaPortSender* sender) {
  delete sender;
}

const char* OlaPortError(void) {
  const char* failure = velmo::entryFailureText();
  return failure ? failure : "";
}

}  // extern "C"
