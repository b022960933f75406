// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/shared_object.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velmo {
namespace {

// dlerror() for the last failed dlopen or dlsym. glibc puts the object's
// path in front of a reason about the object itself, taken off here as the
// messages name the object already; a library that the object needs and
// that cannot be loaded is named alone.
std::string lastReason(const std::string& path, bool& aboutItself) {
  const char* text = dlerror();
  const std::string reason = text ? text : "unknown reason";
  aboutItself = reason.starts_with(path + ": ");
  return aboutItself ? reason.substr(path.size() + 2) : reason;
}

RunTimeError loadFailure(const std::string& path, const SharedObjectRole& role,
                         const std::string& reason, const char* fix) {
  return RunTimeError("Cannot load the " + std::string(role.name) + " " + path + ": " + reason +
                      ". " + fix);
}

// With the fix that fits: a missing object is put in place, a file that is
// no loadable object is replaced, and a library it needs is installed.
RunTimeError lastLoadFailure(const std::string& path, const SharedObjectRole& role) {
  bool aboutItself = false;
  const std::string reason = lastReason(path, aboutItself);
  if (!aboutItself) {
    return loadFailure(path, role, "a library it needs cannot be loaded: " + reason,
                       role.ifNeedsLibrary);
  }
  const bool missing = access(path.c_str(), F_OK) != 0 && errno == ENOENT;
  return loadFailure(path, role, reason, missing ? role.ifMissing : role.ifUnusable);
}

void* load(const std::string& path, const SharedObjectRole& role) {
  struct stat status {};
  if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    throw loadFailure(path, role, "it is not a regular file", role.ifUnusable);
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw lastLoadFailure(path, role);
  return handle;
}

}  // namespace

SharedObject::SharedObject(std::string path, const SharedObjectRole& role)
    : path_(std::move(path)), role_(role), handle_(load(path_, role_)) {}

SharedObject::~SharedObject() {
  if (!keepLoaded_) dlclose(handle_);
}

void* SharedObject::address(const char* name, bool required) const {
  dlerror();
  void* address = dlsym(handle_, name);
  if (address || !required) return address;
  bool aboutItself = false;
  throw RunTimeError("The " + std::string(role_.name) + " " + path_ + " has no entry " + name +
                     ": " + lastReason(path_, aboutItself) + ". " + role_.ifUnusable);
}

}  // namespace velmo
