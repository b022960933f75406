#include "shared/port.h"

#include <dlfcn.h>

#include <string_view>

#include "platform/run_time_error.h"
#include "shared/settings.h"

namespace velmo {
namespace {

// dlerror() for the last failed dlopen or dlsym, without the library path
// that dlerror() puts in front and the message already names.
std::string dlReason(const std::string& libraryPath) {
  const char* text = dlerror();
  std::string_view reason = text ? text : "unknown reason";
  const std::string prefix = libraryPath + ": ";
  if (reason.starts_with(prefix)) reason.remove_prefix(prefix.size());
  return std::string(reason);
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

void* LibraryPort::bind(const char* entry) {
  if (!library_) {
    library_ = dlopen(libraryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
      throw RunTimeError("Cannot load the port library " + libraryPath_ + ": " +
                         dlReason(libraryPath_) + ". Put " + kPortLibraryName +
                         " beside the program.");
    }
  }
  dlerror();
  void* address = dlsym(library_, entry);
  if (!address) {
    throw RunTimeError("The port library " + libraryPath_ + " has no entry " + entry + ": " +
                       dlReason(libraryPath_) + ". Put a " + kPortLibraryName +
                       " of this version of Velmo beside the program.");
  }
  return address;
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
