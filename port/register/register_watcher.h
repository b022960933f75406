// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/register/simulated_register.h"
#include "system/file_descriptor.h"

namespace velmo::port {

// Follows the simulated register file with inotify: its folder is watched for
// the file being created, replaced or deleted, the file itself for writes and
// truncation. When the folder goes (deleted or moved away), the nearest
// folder above it that exists is watched instead, and the folder, then the
// file, are followed again once they are back. Nothing runs while nothing
// changes; the owner waits for descriptor() to become readable (poll,
// QSocketNotifier) and then calls update().
class RegisterWatcher {
 public:
  // Watches the register at location. A private folder is created 0700 if
  // missing, as the port library would, and refused if it is not a private
  // folder of ours. Throws PortAccessError when the folder cannot be watched
  // or the register cannot be read.
  explicit RegisterWatcher(RegisterLocation location);

  // Readable when the register may have changed.
  int descriptor() const { return inotify_.get(); }

  // Takes the pending notifications without blocking, follows the register's
  // folder where it went, re-reads the register and returns its byte when it
  // differs from the last one seen. A missing or empty register reads as 0,
  // and so does one that is not followed. Throws PortAccessError when
  // the register cannot be read (the watch goes on; a later update may
  // succeed) or when no folder above it can be watched any more.
  std::optional<std::uint8_t> update();

  // The last byte seen.
  std::uint8_t byte() const { return byte_; }

  const std::string& path() const { return location_.path; }

  // True while the register's folder is watched.
  bool following() const { return lossReason_.empty(); }

  // Why the register is not followed, for people (empty while it is): its
  // folder is gone, or (the default register) it came back but is refused
  // as not private, or it cannot be watched. The watcher waits meanwhile.
  const std::string& lossReason() const { return lossReason_; }

  // Why the output lines of a program on this register are away (olad
  // gone, say), from its marker beside the register (see away_marker.h); ""
  // while no program's are. Kept up to date by update().
  const std::string& outputAway() const { return outputAway_; }

 private:
  void watchFolder();
  void watchFile();
  void watchParent();
  // Drains the queue; true when what is watched must be looked at again:
  // the watched folder went, or the folder awaited below it changed.
  bool drainEvents();
  // Follows the register's folder again or, while that cannot be, waits on
  // the nearest folder above it that can be watched.
  void reattach();
  bool tryFollowing();
  bool awaitFolder();
  void dropWatches();

  RegisterLocation location_;
  std::string folder_;
  std::string fileName_;
  FileDescriptor inotify_;
  // On the register's folder while following, else on the folder above it
  // that holds awaited_, the next folder on the way down.
  int folderWatch_ = -1;
  int fileWatch_ = -1;
  int parentWatch_ = -1;  // the folder above the register's, while following
  std::string awaited_;
  std::string lossReason_;
  bool markersChanged_ = false;
  std::string outputAway_;
  std::uint8_t byte_ = 0;
};

}  // namespace velmo::port
