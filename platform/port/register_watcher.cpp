#include "platform/port/register_watcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "platform/port/port_backend.h"
#include "platform/port/private_folder.h"
#include "platform/port/simulated_register.h"

namespace velmo::port {
namespace {

constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR;
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_DONT_FOLLOW;

std::uint8_t readRegister(const std::string& path) {
  return SimulatedRegister(path, SimulatedRegister::Folder::kExisting).peek();
}

}  // namespace

RegisterWatcher::RegisterWatcher(std::string path, bool privateFolder)
    : path_(std::move(path)),
      folder_(folderOf(path_)),
      fileName_(path_.substr(path_.find_last_of('/') + 1)),
      privateFolder_(privateFolder),
      inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (!inotify_) {
    throw PortAccessError("Cannot watch the port register: " + errnoText(errno) + ".");
  }
  watchFolder();
  byte_ = readRegister(path_);
}

void RegisterWatcher::watchFolder() {
  if (privateFolder_) ensurePrivateFolder(folder_);
  folderWatch_ = inotify_add_watch(inotify_.get(), folder_.c_str(), kFolderEvents);
  if (folderWatch_ < 0) {
    throw PortAccessError("Cannot watch the register folder " + folder_ + ": " + errnoText(errno) +
                          ".");
  }
  watchFile();
}

void RegisterWatcher::watchFile() {
  // A missing file is fine: the folder's watch reports its creation.
  inotify_add_watch(inotify_.get(), path_.c_str(), kFileEvents);
}

std::optional<std::uint8_t> RegisterWatcher::update() {
  if (drainEvents()) watchFolder();
  const std::uint8_t byte = readRegister(path_);
  if (byte == byte_) return std::nullopt;
  byte_ = byte;
  return byte;
}

bool RegisterWatcher::drainEvents() {
  alignas(inotify_event) char buffer[4096];
  bool folderLost = false;
  for (;;) {
    const ssize_t length = read(inotify_.get(), buffer, sizeof buffer);
    if (length <= 0) return folderLost;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const bool aboutRegister = event->len > 0 && fileName_ == event->name;
      // A register made anew (or renamed into place) is a new file to watch.
      if (aboutRegister && (event->mask & (IN_CREATE | IN_MOVED_TO))) watchFile();
      if (event->wd == folderWatch_ && (event->mask & IN_IGNORED)) folderLost = true;
    }
  }
}

}  // namespace velmo::port
