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
  const auto portTarget = optionalEntry(portTarget_, "PortTarget");
  if (!portTarget) return "";
  const char* target = portTarget();
  throwIfAccessFailed();
  return target;
}

std::optional<int> LibraryPort::noticeDescriptor() {
  const auto portNoticeDescriptor = optionalEntry(portNoticeDescriptor_, "PortNoticeDescriptor");
  if (!portNoticeDescriptor || !optionalEntry(portNotice_, "PortNotice")) return std::nullopt;
  return portNoticeDescriptor();
}

std::optional<std::string> LibraryPort::nextNotice() {
  const auto portNotice = optionalEntry(portNotice_, "PortNotice");
  const char* notice = portNotice ? portNotice() : nullptr;
  if (!notice) return std::nullopt;
  return notice;
}

const SharedObject& LibraryPort::library() {
  if (!library_) library_.emplace(libraryPath_, kPortLibrary);
  return *library_;
}

template <typename F>
F LibraryPort::optionalEntry(std::optional<F>& bound, const char* name) {
  if (!bound) bound = library().template optionalEntry<F>(name);
  return *bound;
}

void LibraryPort::throwIfAccessFailed() {
  // PortError is optional: a library without it reports nothing.
  const auto portError = optionalEntry(portError_, "PortError");
  if (!portError) return;
  if (const char* failure = portError()) throw RunTimeError(failure);
}

}  // namespace velmo
