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

#ifdef __cplusplus
}
#endif
