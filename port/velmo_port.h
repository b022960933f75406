// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// C entries of the port library (libvelmoport.so), looked up by name.
#include <stdint.h>

#define VELMO_PORT_API __attribute__((visibility("default")))

#ifdef __cplusplus
namespace velmo {
// I/O address of the only register the library drives: the first parallel
// port's data register (0x378).
inline constexpr int kDataPort = 888;
}  // namespace velmo

extern "C" {
#endif

// Writes the low 8 bits of value to the port's data register.
VELMO_PORT_API void PortOut(int32_t port, int32_t value);

// The byte in the port's data register, 0..255.
VELMO_PORT_API int32_t PortIn(int32_t port);

// The reason the last PortOut or PortIn on this thread failed, or NULL if it
// succeeded. The text names what failed and what to do; it stays valid until
// the next port call.
VELMO_PORT_API const char* PortError(void);

// The port target VELMO_PORT selects, as one canonical text for every way of
// writing it: "" for the default simulated register, "sim:/absolute/path",
// "hw:NAME", "ola:UNIVERSE:CHANNEL@RPCPORT". Programs on one target share
// its lines. Touches no port. NULL when VELMO_PORT is no port setting
// (PortError says why); the text stays valid until the next call.
VELMO_PORT_API const char* PortTarget(void);

// A descriptor that is readable while a notice for the user waits (poll it,
// or watch it from an event loop); -1 when there can be none. The same for
// the whole process, and it stays open. Touches no port.
VELMO_PORT_API int PortNoticeDescriptor(void);

// The next notice for the user, or NULL when none waits: news about the port
// that is no failure of a call, such as the output being lost while the
// register goes on (olad stopped) and being back. Its first line is a
// headline of a few words ("Output lost"), the rest says why and what
// happens. The text stays valid until this thread's next call of PortNotice.
VELMO_PORT_API const char* PortNotice(void);

#ifdef __cplusplus
}
#endif
