#include "system/shared_object.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace velmo {
namespace {

using Kind = SharedObjectError::Kind;

// dlerror() for the last failed dlopen or dlsym, and whether it is about the
// object at path itself: glibc puts that path in front (taken off here, as
// the callers name it already), while a library that the object needs and
// that cannot be loaded is named alone.
SharedObjectError lastFailure(const std::string& path) {
  const char* text = dlerror();
  std::string_view reason = text ? text : "unknown reason";
  const std::string prefix = path + ": ";
  if (!reason.starts_with(prefix)) return {Kind::kNeedsLibrary, std::string(reason)};
  reason.remove_prefix(prefix.size());
  const bool missing = access(path.c_str(), F_OK) != 0 && errno == ENOENT;
  return {missing ? Kind::kMissing : Kind::kUnusable, std::string(reason)};
}

}  // namespace

void* openSharedObject(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    throw SharedObjectError(Kind::kUnusable, "it is not a regular file");
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw lastFailure(path);
  return handle;
}

void* findEntry(void* handle, const std::string& path, const char* entry) {
  dlerror();
  void* address = dlsym(handle, entry);
  if (!address) throw SharedObjectError(Kind::kUnusable, lastFailure(path).what());
  return address;
}

}  // namespace velmo
