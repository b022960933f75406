#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/port/port_backend.h"

namespace velmo::port {

// What the library reads from the process environment at its first use.
struct PortEnvironment {
  std::string port;        // VELMO_PORT, "" when unset
  std::string tracePath;   // VELMO_PORT_TRACE, "" when unset
  std::string runtimeDir;  // XDG_RUNTIME_DIR, "" when unset
  uid_t uid = 0;           // the effective user

  static PortEnvironment current();
};

// The simulated register's default file: $XDG_RUNTIME_DIR/velmo/port-888,
// or /tmp/velmo-<uid>/port-888 when XDG_RUNTIME_DIR is unset or not an
// absolute path. Its folder is private (see ensurePrivateFolder).
std::string defaultRegisterPath(const PortEnvironment& environment);

// VELMO_PORT taken apart.
struct PortSetting {
  enum class Kind { kSimulated, kHardware };
  Kind kind = Kind::kSimulated;
  // The simulated register, or for hardware the register that mirrors every
  // byte written so that the port monitor shows the real lines too.
  std::string registerPath;
  bool privateFolder = true;  // registerPath is the default one
  std::string hardwareName;   // the libieee1284 port name, kHardware only
};

// Reads environment.port: unset, empty or "sim" is the default simulated
// register, "sim:PATH" the register at PATH, "hw:NAME" the parallel port
// NAME. Anything else throws a PortAccessError that lists the valid forms.
PortSetting parsePortSetting(const PortEnvironment& environment);

// The backend for setting. Opens hardware at once and throws
// PortAccessError when it cannot; the simulated register is touched only by
// its accesses.
std::unique_ptr<PortBackend> makePortBackend(const PortSetting& setting);

}  // namespace velmo::port
