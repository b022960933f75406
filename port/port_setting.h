#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "port/port_backend.h"

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

// The DMX channels that carry the eight lines: line N drives channel
// firstChannel + N - 1 (counted from 1) of universe, through the olad that
// listens on rpcPort on this machine.
struct OlaTarget {
  std::uint32_t universe = 0;
  unsigned firstChannel = 1;
  unsigned rpcPort = 9010;

  bool operator==(const OlaTarget&) const = default;
};

// The largest universe number olad takes, and the largest first channel
// that leaves room for all eight lines in a universe of 512 channels.
inline constexpr std::uint32_t kMaxOlaUniverse = 2147483647;
inline constexpr unsigned kMaxOlaFirstChannel = 512 - 7;

// VELMO_PORT taken apart.
struct PortSetting {
  enum class Kind { kSimulated, kHardware, kOla };
  Kind kind = Kind::kSimulated;
  // The simulated register, or for hardware and OLA the register that
  // mirrors every byte written so that the port monitor shows the lines too
  // and reads return the last byte written. An OLA target has a register of
  // its own beside the default one: ola-UNIVERSE-CHANNEL-RPCPORT.
  std::string registerPath;
  bool privateFolder = true;  // registerPath is the default one
  std::string hardwareName;   // the libieee1284 port name, kHardware only
  OlaTarget ola;              // kOla only
};

// Reads environment.port: unset, empty or "sim" is the default simulated
// register, "sim:PATH" the register at PATH, "hw:NAME" the parallel port
// NAME, "ola:UNIVERSE[:CHANNEL][@RPCPORT]" DMX channels through olad.
// Anything else throws a PortAccessError that lists the valid forms; an OLA
// number out of range throws one that gives its range.
PortSetting parsePortSetting(const PortEnvironment& environment);

// The backend for setting. Opens hardware, and loads the OLA module and
// connects to olad, at once, and throws PortAccessError when it cannot; the
// simulated register is touched only by its accesses.
std::unique_ptr<PortBackend> makePortBackend(const PortSetting& setting);

}  // namespace velmo::port
