// SPDX-License-Identifier: GPL-3.0-or-later
#include "port_client/port.h"

#include "system/paths.h"
#include "system/run_time_error.h"

namespace velmo {
namespace {

constexpr SharedObjectRole kPortLibrary{
    .name = "port library",
    .ifMissing = "Put the libvelmoport.so of this version of Velmo beside the program.",
    .ifUnusable = "Replace it with the libvelmoport.so of this version of Velmo.",
    .ifNeedsLibrary = "Install that library."};

}  // namespace

std::uint8_t toPortByte(long long value) {
  if (value < 0 || value > 255) {
    throw OverflowError("overflow: " + std::to_string(value) + " is not a port byte (0 to 255)");
  }
  return static_cast<std::uint8_t>(value);
}

void Port::PortOut(int port, long long value) {
  writeByte(port, toPortByte(value));
}

int Port::PortIn(int port) {
  return readByte(port);
}

std::string portLibraryPath() {
  const std::string folder = programFolder();
  return folder.ends_with('/') ? folder + kPortLibraryName : folder + "/" + kPortLibraryName;
}

LibraryPort::LibraryPort(std::string libraryPath) : libraryPath_(std::move(libraryPath)) {}

void LibraryPort::writeByte(int port, std::uint8_t value) {
  if (!portOut_) portOut_ = library().entry<decltype(portOut_)>("PortOut");
  portOut_(port, value);
  throwIfAccessFailed();
}

std::uint8_t LibraryPort::readByte(int port) {
  if (!portIn_) portIn_ = library().entry<decltype(portIn_)>("PortIn");
  const std::int32_t value = portIn_(port);
  throwIfAccessFailed();
  return static_cast<std::uint8_t>(value & 0xFF);
}

std::string LibraryPort::target() {
  // A library without PortTarget knows one target only: it is the default.
  if (!portTarget_) portTarget_ = library().optionalEntry<decltype(&::PortTarget)>("PortTarget");
  if (!*portTarget_) return "";
  const char* target = (*portTarget_)();
  throwIfAccessFailed();
  return target;
}

const SharedObject& LibraryPort::library() {
  if (!library_) library_.emplace(libraryPath_, kPortLibrary);
  return *library_;
}

void LibraryPort::throwIfAccessFailed() {
  // PortError is optional: a library without it reports nothing.
  if (!portError_) portError_ = library_->optionalEntry<decltype(&::PortError)>("PortError");
  if (!*portError_) return;
  if (const char* failure = (*portError_)()) throw RunTimeError(failure);
}

}  // namespace velmo
