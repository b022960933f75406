// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/velmo_port.h"
#include "system/shared_object.h"

namespace velmo {

// Converts a value to a port byte. Throws OverflowError outside 0..255.
std::uint8_t toPortByte(long long value);

// The programs' access to the parallel port.
class Port {
 public:
  virtual ~Port() = default;

  // Range-checks value as a port byte, then writes it. Outside 0..255 throws
  // OverflowError and the port is not touched.
  void PortOut(int port, long long value);

  // The byte read from port, 0..255.
  int PortIn(int port);

 protected:
  virtual void writeByte(int port, std::uint8_t value) = 0;
  virtual std::uint8_t readByte(int port) = 0;
};

// File name of the port library in the program folder.
inline constexpr const char* kPortLibraryName = "libvelmoport.so";

// Full path of the port library beside the running program.
std::string portLibraryPath();

// The port library, loaded from a full path at the first port call, each
// entry looked up by name ("PortOut", "PortIn") at its own first call and
// kept for later calls. A library or entry that cannot be bound, and an
// access that the library reports as failed, throw RunTimeError naming the
// library path and the reason.
class LibraryPort final : public Port {
 public:
  explicit LibraryPort(std::string libraryPath = portLibraryPath());

  const std::string& libraryPath() const { return libraryPath_; }

  // The port target the library drives, as its PortTarget names it ("" for
  // the default register, and for a library without PortTarget). Touches no
  // port; throws RunTimeError as the port calls do.
  std::string target();

  // A descriptor that is readable while a notice of the library waits (see
  // PortNotice in port/velmo_port.h), or nothing for a library without
  // notices. Touches no port; throws RunTimeError as the port calls do.
  std::optional<int> noticeDescriptor();

  // The library's next notice, "headline\ndetails", or nothing when none
  // waits.
  std::optional<std::string> nextNotice();

 protected:
  void writeByte(int port, std::uint8_t value) override;
  std::uint8_t readByte(int port) override;

 private:
  // The library, loaded at the first call; a failed load is tried again at
  // the next one.
  const SharedObject& library();
  // The entry called name, looked up once into bound; nullptr when the
  // library has none.
  template <typename F>
  F optionalEntry(std::optional<F>& bound, const char* name);
  void throwIfAccessFailed();

  std::string libraryPath_;
  std::optional<SharedObject> library_;
  decltype(&::PortOut) portOut_ = nullptr;
  decltype(&::PortIn) portIn_ = nullptr;
  std::optional<decltype(&::PortTarget)> portTarget_;  // nullptr: the library has none
  std::optional<decltype(&::PortError)> portError_;    // nullptr: the library has none
  std::optional<decltype(&::PortNoticeDescriptor)> portNoticeDescriptor_;  // the same
  std::optional<decltype(&::PortNotice)> portNotice_;                      // the same
};

}  // namespace velmo
