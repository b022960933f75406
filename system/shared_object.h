#pragma once

#include <stdexcept>
#include <string>

namespace velmo {

// A shared object (a library or module loaded at run time) that could not be
// loaded or lacks an entry. what() is the loader's reason, without the path
// in front; callers name the object and give the fix that fits kind().
class SharedObjectError : public std::runtime_error {
 public:
  enum class Kind {
    kMissing,       // there is no file at the path
    kUnusable,      // the file is no shared object that loads, or lacks the entry
    kNeedsLibrary,  // a library that it needs cannot be loaded
  };

  SharedObjectError(Kind kind, const std::string& reason)
      : std::runtime_error(reason), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// Loads the shared object at the full path with dlopen (RTLD_NOW |
// RTLD_LOCAL) and returns its handle. Anything but a regular file is refused
// before dlopen, which would wait for a writer on a named pipe or read a
// device. Throws SharedObjectError.
void* openSharedObject(const std::string& path);

// The address of entry in the shared object handle, loaded from path.
// Throws SharedObjectError (kUnusable).
void* findEntry(void* handle, const std::string& path, const char* entry);

}  // namespace velmo
