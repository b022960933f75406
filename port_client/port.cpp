#include "port_client/port.h"

#include <dlfcn.h>

#include "ini/settings.h"
#include "system/run_time_error.h"
#include "system/shared_object.h"

namespace velmo {
namespace {

constexpr const char* kReplaceLibrary =
    "Replace it with the libvelmoport.so of this version of Velmo.";

// The message for a library that cannot be loaded, with the fix that fits:
// a missing library is put in place, a file that is no loadable library is
// replaced, and a library it depends on is installed.
std::string loadFailureMessage(const std::string& libraryPath, const SharedObjectError& failure) {
  const std::string start = "Cannot load the port library " + libraryPath + ": ";
  switch (failure.kind()) {
    case SharedObjectError::Kind::kNeedsLibrary:
      return start + "a library it needs cannot be loaded: " + failure.what() +
             ". Install that library.";
    case SharedObjectError::Kind::kMissing:
      return start + failure.what() + ". Put the " + kPortLibraryName +
             " of this version of Velmo beside the program.";
    case SharedObjectError::Kind::kUnusable:
      break;
  }
  return start + failure.what() + ". " + kReplaceLibrary;
}

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

LibraryPort::~LibraryPort() {
  if (library_) dlclose(library_);
}

void LibraryPort::writeByte(int port, std::uint8_t value) {
  if (!portOut_) portOut_ = reinterpret_cast<decltype(portOut_)>(bind("PortOut"));
  portOut_(port, value);
  throwIfAccessFailed();
}

std::uint8_t LibraryPort::readByte(int port) {
  if (!portIn_) portIn_ = reinterpret_cast<decltype(portIn_)>(bind("PortIn"));
  const std::int32_t value = portIn_(port);
  throwIfAccessFailed();
  return static_cast<std::uint8_t>(value & 0xFF);
}

std::string LibraryPort::target() {
  if (!portTarget_) {
    bind("PortIn");  // loads the library
    portTarget_ = reinterpret_cast<decltype(portTarget_)>(dlsym(library_, "PortTarget"));
    if (!portTarget_) return "";
  }
  const char* target = portTarget_();
  throwIfAccessFailed();
  return target ? target : "";
}

void* LibraryPort::bind(const char* entry) {
  try {
    if (!library_) library_ = openSharedObject(libraryPath_);
  } catch (const SharedObjectError& failure) {
    throw RunTimeError(loadFailureMessage(libraryPath_, failure));
  }
  try {
    return findEntry(library_, libraryPath_, entry);
  } catch (const SharedObjectError& failure) {
    throw RunTimeError("The port library " + libraryPath_ + " has no entry " + entry + ": " +
                       failure.what() + ". " + kReplaceLibrary);
  }
}

void LibraryPort::throwIfAccessFailed() {
  // PortError is optional: a library without it reports nothing.
  if (!portErrorLookedUp_) {
    portError_ = reinterpret_cast<decltype(portError_)>(dlsym(library_, "PortError"));
    portErrorLookedUp_ = true;
  }
  if (!portError_) return;
  if (const char* failure = portError_()) throw RunTimeError(failure);
}

}  // namespace velmo
