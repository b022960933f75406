#include "shared/port.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/run_time_error.h"
#include "shared/settings.h"

namespace velmo {
namespace {

constexpr const char* kReplaceLibrary =
    "Replace it with the libvelmoport.so of this version of Velmo.";

// dlerror() for the last failed dlopen or dlsym, and whether it is about the
// library at libraryPath itself: glibc puts that path in front (taken off
// here, as the messages name it already), while a library that it needs and
// that cannot be loaded is named alone.
struct DlFailure {
  std::string reason;
  bool aboutLibrary;
};

DlFailure dlFailure(const std::string& libraryPath) {
  const char* text = dlerror();
  std::string_view reason = text ? text : "unknown reason";
  const std::string prefix = libraryPath + ": ";
  const bool aboutLibrary = reason.starts_with(prefix);
  if (aboutLibrary) reason.remove_prefix(prefix.size());
  return {std::string(reason), aboutLibrary};
}

// The message for a library that dlopen refused, with the fix that fits:
// a missing library is put in place, a file that is no loadable library is
// replaced, and a library it depends on is installed.
std::string loadFailureMessage(const std::string& libraryPath) {
  const DlFailure failure = dlFailure(libraryPath);
  const std::string start = "Cannot load the port library " + libraryPath + ": ";
  if (!failure.aboutLibrary) {
    return start + "a library it needs cannot be loaded: " + failure.reason +
           ". Install that library.";
  }
  const bool missing = access(libraryPath.c_str(), F_OK) != 0 && errno == ENOENT;
  return start + failure.reason + ". " +
         (missing ? std::string("Put the ") + kPortLibraryName +
                        " of this version of Velmo beside the program."
                  : kReplaceLibrary);
}

// dlopen would wait for a writer on a named pipe and read from a device, so
// only a regular file is handed to it.
void requireRegularFile(const std::string& libraryPath) {
  struct stat status {};
  if (stat(libraryPath.c_str(), &status) != 0) return;  // dlopen reports why
  if (!S_ISREG(status.st_mode)) {
    throw RunTimeError("Cannot load the port library " + libraryPath +
                       ": it is not a regular file. " + kReplaceLibrary);
  }
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
    requireRegularFile(libraryPath_);
    library_ = dlopen(libraryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
      throw RunTimeError(loadFailureMessage(libraryPath_));
    }
  }
  dlerror();
  void* address = dlsym(library_, entry);
  if (!address) {
    throw RunTimeError("The port library " + libraryPath_ + " has no entry " + entry + ": " +
                       dlFailure(libraryPath_).reason + ". " + kReplaceLibrary);
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
