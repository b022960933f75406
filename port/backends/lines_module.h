// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The C entries of a lines module: libvelmoport-ftdi.so, -hidrelay.so,
// -gpio.so and -mqtt.so, each the only code that links its library, which
// the port library loads only when VELMO_PORT names its backend, so that
// nothing else needs that library. Every module has the same entries; plain
// C, so no C++ exception or type crosses the boundary.
#include <stdint.h>

#define VELMO_LINES_MODULE_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// What VelmoLinesCheck and VelmoLinesWrite return.
#define VELMO_LINES_DONE 0
// The device cannot be reached now (unplugged, the broker gone); a later
// call may reach it.
#define VELMO_LINES_AWAY 1
// Anything else, such as no such device or permission denied.
#define VELMO_LINES_REFUSED (-1)

typedef struct VelmoLines VelmoLines;

// Lines for the device that fields name (count of them, each module its
// own; see its lines class). Reaches nothing yet. NULL when they cannot be
// made; VelmoLinesError() says why.
VELMO_LINES_MODULE_API VelmoLines* VelmoLinesOpen(const char* const* fields, uint32_t count);

// Reaches the device unless reached, or checks that it is still there.
VELMO_LINES_MODULE_API int VelmoLinesCheck(VelmoLines* lines);

// Drives line N with bit N-1 of value; reaches the device first when it is
// not reached.
VELMO_LINES_MODULE_API int VelmoLinesWrite(VelmoLines* lines, uint8_t value);

// Lets go of the device, which keeps what it was sent (or releases its
// lines), so that another process may take it.
VELMO_LINES_MODULE_API void VelmoLinesRelease(VelmoLines* lines);

// Readable when the device was reached anew by itself; -1 for none.
VELMO_LINES_MODULE_API int VelmoLinesReachedDescriptor(VelmoLines* lines);

// What the user should hear once about the device ("headline\ndetails"),
// or NULL. Valid until the next call on lines.
VELMO_LINES_MODULE_API const char* VelmoLinesRemark(VelmoLines* lines);

// Lets go of the device and frees lines.
VELMO_LINES_MODULE_API void VelmoLinesClose(VelmoLines* lines);

// Why the calling thread's last call failed, naming what failed and what
// to do; empty when it succeeded. Valid until that thread's next call.
VELMO_LINES_MODULE_API const char* VelmoLinesError(void);

#ifdef __cplusplus
}
#endif
