#include "port/ola_lines.h"

#include <dlfcn.h>

#include "port/ola/ola_module.h"
#include "port/simulated_register.h"
#include "system/shared_object.h"

namespace velmo::port {

// The module's entries.
struct OlaModule {
  decltype(&OlaPortOpen) open;
  decltype(&OlaPortWrite) write;
  decltype(&OlaPortClose) close;
  decltype(&OlaPortError) error;
};

namespace {

constexpr const char* kReplaceModule =
    "Replace it with the " VELMO_OLA_MODULE_NAME " of this version of Velmo.";

std::string loadFailureMessage(const std::string& path, const SharedObjectError& failure) {
  const std::string start = "Cannot load the OLA module " + path + ": ";
  switch (failure.kind()) {
    case SharedObjectError::Kind::kNeedsLibrary:
      return start + "a library it needs cannot be loaded: " + failure.what() +
             ". Install OLA's libraries (sudo apt-get install libola1; the package ola brings "
             "them with olad).";
    case SharedObjectError::Kind::kMissing:
      return start + failure.what() +
             ". For Velmo installed from its package, install the package velmo-ola of the "
             "same version; for your own build, install OLA's development files (sudo apt-get "
             "install libola-dev) and build again.";
    case SharedObjectError::Kind::kUnusable:
      break;
  }
  return start + failure.what() + ". " + kReplaceModule;
}

template <typename Function>
Function entry(void* handle, const std::string& path, const char* name) {
  try {
    return reinterpret_cast<Function>(findEntry(handle, path, name));
  } catch (const SharedObjectError& failure) {
    throw PortAccessError("The OLA module " + path + " has no entry " + name + ": " +
                          failure.what() + ". " + kReplaceModule);
  }
}

// The module is never unloaded: OLA's libraries would tear down their static
// state under objects that may still be in use at exit.
OlaModule loadModule(const std::string& path) {
  void* handle = nullptr;
  try {
    handle = openSharedObject(path);
  } catch (const SharedObjectError& failure) {
    throw PortAccessError(loadFailureMessage(path, failure));
  }
  return {entry<decltype(&OlaPortOpen)>(handle, path, "OlaPortOpen"),
          entry<decltype(&OlaPortWrite)>(handle, path, "OlaPortWrite"),
          entry<decltype(&OlaPortClose)>(handle, path, "OlaPortClose"),
          entry<decltype(&OlaPortError)>(handle, path, "OlaPortError")};
}

// The module beside the shared object that holds this code (the port
// library).
std::string modulePath() {
  Dl_info info{};
  const bool found =
      dladdr(reinterpret_cast<const void*>(&modulePath), &info) != 0 && info.dli_fname;
  return (found ? folderOf(info.dli_fname) : ".") + "/" VELMO_OLA_MODULE_NAME;
}

const OlaModule& module() {
  // A failed load throws and is tried again at the next OLA port.
  static const OlaModule loaded = loadModule(modulePath());
  return loaded;
}

}  // namespace

OlaLines::OlaLines(const OlaTarget& target)
    : module_(module()),
      sender_(module_.open(target.universe, target.firstChannel, target.rpcPort)) {
  if (!sender_) throw PortAccessError(module_.error());
}

OlaLines::~OlaLines() {
  module_.close(sender_);
}

void OlaLines::write(std::uint8_t value) {
  if (module_.write(sender_, value) != 0) throw PortAccessError(module_.error());
}

}  // namespace velmo::port
