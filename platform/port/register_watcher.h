#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/port/posix_file.h"

namespace velmo::port {

// Follows the simulated register file with inotify: its folder is watched for
// the file being created, replaced or deleted, the file itself for writes and
// truncation. Nothing runs while nothing changes; the owner waits for
// descriptor() to become readable (poll, QSocketNotifier) and then calls
// update().
class RegisterWatcher {
 public:
  // Watches the register at path. When privateFolder (the default register),
  // the folder is created 0700 if missing, as the port library would, and
  // refused if it is not a private folder of ours. Throws
  // PortAccessError when the folder cannot be watched or the register
  // cannot be read.
  RegisterWatcher(std::string path, bool privateFolder);

  // Readable when the register may have changed.
  int descriptor() const { return inotify_.get(); }

  // Takes the pending notifications without blocking, re-reads the register
  // and returns its byte when it differs from the last one seen. A missing
  // or empty register reads as 0. Throws PortAccessError when the
  // register cannot be read (the watch goes on; a later update may succeed).
  std::optional<std::uint8_t> update();

  // The last byte seen.
  std::uint8_t byte() const { return byte_; }

  const std::string& path() const { return path_; }

 private:
  void watchFolder();
  void watchFile();
  // Drains the queue; true when the folder's watch was lost (the folder was
  // deleted or moved away).
  bool drainEvents();

  std::string path_;
  std::string folder_;
  std::string fileName_;
  bool privateFolder_;
  FileDescriptor inotify_;
  int folderWatch_ = -1;
  std::uint8_t byte_ = 0;
};

}  // namespace velmo::port
