// SPDX-License-Identifier: GPL-3.0-or-later
// A port library with PortOut alone: no PortIn and no PortError.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) void PortOut(std::int32_t, std::int32_t) {}
