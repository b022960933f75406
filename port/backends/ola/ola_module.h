// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The C entries of the OLA module (libvelmoport-ola.so), which the port
// library loads only when VELMO_PORT names an OLA universe, so that nothing
// else needs OLA's libraries. Plain C, so no C++ exception or type crosses
// the boundary.
#include <stdint.h>

#define VELMO_OLA_MODULE_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// File name of the module, beside libvelmoport.so.
#define VELMO_OLA_MODULE_NAME "libvelmoport-ola.so"

// What to do when the module cannot be loaded: it is missing, it is not
// this version's, or a library of OLA's that it needs is missing.
#define VELMO_OLA_MODULE_IF_MISSING                                                            \
  "For Velmo installed from its package, install the package velmo-ola of the same version; "  \
  "for your own build, install OLA's development files (sudo apt-get install libola-dev) and " \
  "build again."
#define VELMO_OLA_MODULE_IF_UNUSABLE \
  "Replace it with the " VELMO_OLA_MODULE_NAME " of this version of Velmo."
#define VELMO_OLA_MODULE_IF_NEEDS_LIBRARY \
  "Install OLA's libraries (sudo apt-get install libola1; the package ola brings them with olad)."

// What OlaPortConnect and OlaPortSend return.
#define OLA_PORT_DONE 0
// olad cannot be reached now: not running, gone, not answering, or it failed
// the request. The next call connects again.
#define OLA_PORT_AWAY 1
// Anything else, such as olad having no such universe.
#define OLA_PORT_REFUSED (-1)

typedef struct OlaPortSender OlaPortSender;

// A sender for DMX channels firstChannel ... firstChannel + 7 (counted from
// 1) of universe, through the olad that listens on rpcPort on this machine.
// Connects to nothing yet. NULL when it cannot be made; OlaPortError() says
// why.
VELMO_OLA_MODULE_API OlaPortSender* OlaPortOpen(uint32_t universe, uint32_t firstChannel,
                                                uint32_t rpcPort);

// Connects to olad unless connected, and learns the universe's merge mode
// from it (which also tells whether olad has the universe). Waits on olad
// for a few seconds at most. On failure OlaPortError() says why, and the
// connection is dropped.
VELMO_OLA_MODULE_API int OlaPortConnect(OlaPortSender* sender);

// Sets channel firstChannel + N - 1 to 255 when bit N-1 of lines is set and
// to 0 when it is clear, and returns once olad has taken the frame: one
// round trip to olad when the universe merges HTP, two when LTP. Leaves the
// universe's other channels as they are. Connects first, as OlaPortConnect,
// when not connected. One call at a time per sender.
VELMO_OLA_MODULE_API int OlaPortSend(OlaPortSender* sender, uint8_t lines);

// Disconnects and frees sender. olad keeps the frame on the universe until
// another client sends.
VELMO_OLA_MODULE_API void OlaPortClose(OlaPortSender* sender);

typedef struct OlaPortReceiver OlaPortReceiver;

// Gets each frame of the universe: its channels from channel 1, count of
// them. Called on the receiver's thread.
typedef void (*OlaPortFrameHandler)(void* context, const uint8_t* channels, uint32_t count);

// Gets away = 1 with why (naming olad and what to do) the first time olad
// cannot be reached since it could, away = 0 with "" when the frames come
// again. Called on the receiver's thread.
typedef void (*OlaPortPresenceHandler)(void* context, int away, const char* why);

// Takes the frames of universe from the olad that listens on rpcPort on this
// machine, on a thread of the receiver's own, handing each to onFrame with
// context: registers for the universe at once, and again whenever olad was
// away, tried again as the sender's connection is. NULL when it cannot be
// started; OlaPortError() says why.
VELMO_OLA_MODULE_API OlaPortReceiver* OlaPortReceive(uint32_t universe, uint32_t rpcPort,
                                                     OlaPortFrameHandler onFrame,
                                                     OlaPortPresenceHandler onPresence,
                                                     void* context);

// Stops receiving and frees receiver: no handler runs once this returns.
VELMO_OLA_MODULE_API void OlaPortStopReceiving(OlaPortReceiver* receiver);

// The reason the calling thread's last call of the module failed, naming
// what failed and what to do; empty when it succeeded. Valid until that
// thread's next call.
VELMO_OLA_MODULE_API const char* OlaPortError(void);

#ifdef __cplusplus
}
#endif
