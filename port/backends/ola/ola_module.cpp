// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of libvelmoport-ola.so. Everything else in the module is
// hidden, and no exception leaves it.
#include "port/backends/ola/ola_module.h"

#include "port/backends/ola/ola_receiver.h"
#include "port/backends/ola/ola_sender.h"
#include "system/guarded_entry.h"

struct OlaPortSender {
  velmo::port::OlaSender sender;
};

struct OlaPortReceiver {
  velmo::port::OlaReceiver receiver;
};

namespace {

constexpr const char* kUnknownFailure = "The OLA module failed for an unknown reason.";

// Runs use: OLA_PORT_DONE, OLA_PORT_AWAY when olad cannot be reached, or
// OLA_PORT_REFUSED; the reason is kept for OlaPortError.
template <typename Use>
int outcomeOf(Use use) {
  bool away = false;
  const int outcome = velmo::guardedEntry(OLA_PORT_REFUSED, kUnknownFailure, [&] {
    try {
      use();
    } catch (const velmo::port::OlaAway&) {
      away = true;
      throw;
    }
    return OLA_PORT_DONE;
  });
  return away ? OLA_PORT_AWAY : outcome;
}

}  // namespace

extern "C" {

OlaPortSender* OlaPortOpen(uint32_t universe, uint32_t firstChannel, uint32_t rpcPort) {
  return velmo::guardedEntry<OlaPortSender*>(nullptr, kUnknownFailure, [&] {
    return new OlaPortSender{{universe, firstChannel, rpcPort}};
  });
}

int OlaPortConnect(OlaPortSender* sender) {
  return outcomeOf([&] { sender->sender.check(); });
}

int OlaPortSend(OlaPortSender* sender, uint8_t lines) {
  return outcomeOf([&] { sender->sender.send(lines); });
}

void OlaPortClose(OlaPortSender* sender) {
  delete sender;
}

OlaPortReceiver* OlaPortReceive(uint32_t universe, uint32_t rpcPort, OlaPortFrameHandler onFrame,
                                OlaPortPresenceHandler onPresence, void* context) {
  return velmo::guardedEntry<OlaPortReceiver*>(nullptr, kUnknownFailure, [&] {
    return new OlaPortReceiver{{universe, rpcPort,
                                [onFrame, context](const uint8_t* channels, unsigned count) {
                                  onFrame(context, channels, count);
                                },
                                [onPresence, context](bool away, const std::string& why) {
                                  onPresence(context, away ? 1 : 0, why.c_str());
                                }}};
  });
}

void OlaPortStopReceiving(OlaPortReceiver* receiver) {
  delete receiver;
}

const char* OlaPortError(void) {
  const char* failure = velmo::entryFailureText();
  return failure ? failure : "";
}

}  // extern "C"
