// SPDX-License-Identifier: GPL-3.0-or-later
// Built twice: as a port library whose PortOut calls into a second library,
// and (with VELMO_ABSENT_DEPENDENCY) as that second library, which the
// binding tests keep out of the loader's reach.
#include <cstdint>

#define EXPORTED extern "C" __attribute__((visibility("default")))

#ifdef VELMO_ABSENT_DEPENDENCY
EXPORTED int VelmoAbsentDependency() {
  return 0;
}
#else
extern "C" int VelmoAbsentDependency();

EXPORTED void PortOut(std::int32_t, std::int32_t) {
  VelmoAbsentDependency();
}
#endif
