// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/register_watcher.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "port/register/away_marker.h"
#include "port/register/private_folder.h"
#include "port/register/simulated_register.h"
#include "system/errno_text.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

// The register's folder: the register made, replaced or removed, and the
// folder itself going away.
constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A folder above it, while waiting: the next folder down made, renamed into
// place, removed or changed (a refusal mended), and this folder going away.
constexpr std::uint32_t kAwaitEvents = kFolderEvents | IN_ATTRIB;
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_DONT_FOLLOW;
// The folder above the register's, while following: the register's folder
// removed or renamed. A folder whose register a program holds open reports
// its own deletion only once the file is closed; its parent reports it at once.
constexpr std::uint32_t kParentEvents = IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR;
// The watched folder itself is gone, or no longer where it was.
constexpr std::uint32_t kFolderGone = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF;

std::uint8_t readRegister(const std::string& path) {
  return SimulatedRegister({path, RegisterLocation::Folder::kExisting}).peek();
}

bool isFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Missing, or a file where a folder belongs: the folder is gone, nothing else
// is wrong.
bool folderMissing(int error) {
  return error == ENOENT || error == ENOTDIR;
}

std::string cannotWatch(const std::string& folder, int error) {
  return "Cannot watch the register folder " + folder + ": " + errnoText(error) + ".";
}

}  // namespace

RegisterWatcher::RegisterWatcher(RegisterLocation location)
    : location_(std::move(location)),
      folder_(folderOf(path())),
      fileName_(fileNameOf(path())),
      inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (!inotify_) {
    throw PortAccessError("Cannot watch the port register: " + errnoText(errno) + ".");
  }
  watchFolder();
  byte_ = readRegister(path());
  outputAway_ = awayReason(path());
}

void RegisterWatcher::watchFolder() {
  if (location_.privateFolder()) ensurePrivateFolder(folder_);
  folderWatch_ = inotify_add_watch(inotify_.get(), folder_.c_str(), kFolderEvents);
  if (folderWatch_ < 0) throw PortAccessError(cannotWatch(folder_, errno));
  watchParent();
  watchFile();
}

void RegisterWatcher::watchParent() {
  const std::string parent = folderOf(folder_);
  // Without it (the root, or a parent that cannot be watched) a deletion is
  // seen once no program holds the register open any more.
  parentWatch_ =
      parent == folder_ ? -1 : inotify_add_watch(inotify_.get(), parent.c_str(), kParentEvents);
}

void RegisterWatcher::watchFile() {
  // A missing file is fine: the folder's watch reports its creation.
  const int watch = inotify_add_watch(inotify_.get(), path().c_str(), kFileEvents);
  // The file replaced is of no more interest.
  if (fileWatch_ >= 0 && fileWatch_ != watch) inotify_rm_watch(inotify_.get(), fileWatch_);
  fileWatch_ = watch;
}

std::optional<std::uint8_t> RegisterWatcher::update() {
  if (drainEvents()) {
    reattach();
    markersChanged_ = true;
  }
  if (std::exchange(markersChanged_, false)) outputAway_ = following() ? awayReason(path()) : "";
  const std::uint8_t byte = following() ? readRegister(path()) : 0;
  if (byte == byte_) return std::nullopt;
  byte_ = byte;
  return byte;
}

bool RegisterWatcher::drainEvents() {
  alignas(inotify_event) char buffer[4096];
  bool lookAgain = false;
  for (;;) {
    const ssize_t length = read(inotify_.get(), buffer, sizeof buffer);
    if (length <= 0) return lookAgain;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) lookAgain = true;  // events were lost
      if (event->wd == parentWatch_) {
        if (event->len > 0 && fileNameOf(folder_) == event->name) lookAgain = true;
        continue;
      }
      // The file's watch only wakes the owner; older watches are given up.
      if (event->wd != folderWatch_) continue;
      if (event->mask & kFolderGone) lookAgain = true;
      if (event->len == 0) continue;
      if (!following()) {
        if (awaited_ == event->name) lookAgain = true;
      } else if (fileName_ == event->name && (event->mask & (IN_CREATE | IN_MOVED_TO))) {
        watchFile();  // a register made anew (or renamed into place)
      } else if (isAwayMarker(event->name, fileName_)) {
        markersChanged_ = true;
      }
    }
  }
}

void RegisterWatcher::reattach() {
  do {
    dropWatches();
    lossReason_ = "The register folder " + folder_ +
                  " is gone (deleted or moved away); waiting for it to come back.";
  } while (!tryFollowing() && !awaitFolder());
}

bool RegisterWatcher::tryFollowing() {
  if (!isFolder(folder_)) return false;
  if (location_.privateFolder()) {
    // The folder that came back is checked as at start. Should it go again
    // in this instant, it is made anew as the port library would.
    try {
      ensurePrivateFolder(folder_);
    } catch (const PortAccessError& refusal) {
      lossReason_ = refusal.what();
      return false;
    }
  }
  folderWatch_ = inotify_add_watch(inotify_.get(), folder_.c_str(), kFolderEvents);
  if (folderWatch_ < 0) {
    if (!folderMissing(errno)) lossReason_ = cannotWatch(folder_, errno);
    return false;
  }
  lossReason_.clear();
  watchParent();
  watchFile();
  return true;
}

// Watches the nearest folder above the register's that can be watched.
// False when a folder below it was made in the meantime: its creation was
// missed, so everything is looked at again.
bool RegisterWatcher::awaitFolder() {
  std::string below = folder_;
  for (;;) {
    const std::string level = folderOf(below);
    if (level == below) throw PortAccessError(lossReason_);  // nothing above
    const bool belowExisted = isFolder(below);
    folderWatch_ = inotify_add_watch(inotify_.get(), level.c_str(), kAwaitEvents);
    if (folderWatch_ >= 0) {
      awaited_ = fileNameOf(below);
      return belowExisted || !isFolder(below);
    }
    if (level == folderOf(level)) throw PortAccessError(cannotWatch(level, errno));
    below = level;
  }
}

void RegisterWatcher::dropWatches() {
  for (int* watch : {&folderWatch_, &parentWatch_, &fileWatch_}) {
    if (*watch >= 0) inotify_rm_watch(inotify_.get(), *watch);
    *watch = -1;
  }
}

}  // namespace velmo::port
