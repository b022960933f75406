// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <type_traits>

#include "system/run_time_error.h"

namespace velmo {

// What a shared object is to its loader, for people: its name and, for each
// way loading it can fail, the fix.
struct SharedObjectRole {
  const char* name;            // "port library"
  const char* ifMissing;       // no file at the path
  const char* ifUnusable;      // the file does not load, or lacks an entry
  const char* ifNeedsLibrary;  // a library that it needs cannot be loaded
};

// A shared object (a library or module loaded at run time), unloaded when
// this goes unless it is kept loaded.
class SharedObject {
 public:
  // Loads the shared object at the full path with dlopen (RTLD_NOW |
  // RTLD_LOCAL). Anything but a regular file is refused before dlopen, which
  // would wait for a writer on a named pipe or read a device. Throws
  // RunTimeError naming the role, the path, the loader's reason and the
  // role's fix that fits.
  SharedObject(std::string path, const SharedObjectRole& role);
  ~SharedObject();
  SharedObject(const SharedObject&) = delete;
  SharedObject& operator=(const SharedObject&) = delete;

  // The entry called name, as a pointer of type F. Throws RunTimeError.
  template <typename F>
  F entry(const char* name) const {
    return reinterpret_cast<F>(address(name, true));
  }

  // The same, or nullptr when there is no such entry.
  template <typename F>
  F optionalEntry(const char* name) const {
    return reinterpret_cast<F>(address(name, false));
  }

  // Leaves the object loaded for the rest of the process when this goes.
  void keepLoaded() { keepLoaded_ = true; }

 private:
  void* address(const char* name, bool required) const;

  std::string path_;
  SharedObjectRole role_;
  void* handle_;
  bool keepLoaded_ = false;
};

// The entries read(object) takes from the shared object at path: loaded at
// the first call of each read and kept loaded for the rest of the process,
// since a module's libraries may keep static state that must outlive
// whatever was made from them. A failed load throws RunTimeError and is
// tried again at the next call.
template <typename Read>
const std::invoke_result_t<Read, const SharedObject&>& keptLoaded(const std::string& path,
                                                                  const SharedObjectRole& role,
                                                                  Read read) {
  static const auto entries = [&] {
    SharedObject object(path, role);
    const auto taken = read(object);
    object.keepLoaded();
    return taken;
  }();
  return entries;
}

}  // namespace velmo

// The entry of object that is declared in C as name, as a pointer of its
// type: VELMO_ENTRY(object, OlaPortOpen).
#define VELMO_ENTRY(object, name) (object).entry<decltype(&name)>(#name)
