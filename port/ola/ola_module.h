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

typedef struct OlaPortSender OlaPortSender;

// Connects to the olad that listens on rpcPort on this machine, to drive DMX
// channels firstChannel ... firstChannel + 7 (counted from 1) of universe.
// NULL when it cannot; OlaPortError() says why. Waits on olad for a few
// seconds at most.
VELMO_OLA_MODULE_API OlaPortSender* OlaPortOpen(uint32_t universe, uint32_t firstChannel,
                                                uint32_t rpcPort);

// Sets channel firstChannel + N - 1 to 255 when bit N-1 of lines is set and
// to 0 when it is clear, and returns once olad has taken the frame: 0, or -1
// when it could not (OlaPortError() says why; the sender then only fails).
// Leaves the universe's other channels as they are. Waits on olad for a few
// seconds at most. One call at a time per sender.
VELMO_OLA_MODULE_API int OlaPortWrite(OlaPortSender* sender, uint8_t lines);

// Disconnects and frees sender. olad keeps the frame on the universe until
// another client sends.
VELMO_OLA_MODULE_API void OlaPortClose(OlaPortSender* sender);

// The reason the calling thread's last OlaPortOpen or OlaPortWrite failed,
// naming what failed and what to do; empty when it succeeded. Valid until
// that thread's next call.
VELMO_OLA_MODULE_API const char* OlaPortError(void);

#ifdef __cplusplus
}
#endif
