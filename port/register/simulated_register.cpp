// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/simulated_register.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

#include "port/register/private_folder.h"
#include "system/errno_text.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

// No symbolic link is followed at the last step, and opening a FIFO or a
// device found at the register path can never block.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

// What may make the register path name another file, or the folder be
// refused: a name made, removed or renamed in the folder, a change of its or
// its files' attributes, and the folder itself going.
constexpr std::uint32_t kFolderChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                         IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Creating the file can race with another process deleting it again.
constexpr int kCreateAttempts = 5;

constexpr const char* kChooseAnother = "choose another register with VELMO_PORT=sim:PATH";

[[noreturn]] void refuseNonRegular(const std::string& path) {
  throw PortAccessError("The port register " + path + " is not a regular file. Remove it or " +
                        kChooseAnother + ".");
}

[[noreturn]] void failOpening(const std::string& path, int error) {
  // A folder refuses writing (EISDIR); a named pipe without a reader, or a
  // device without its driver, refuses opening without blocking (ENXIO).
  if (error == EISDIR || error == ENXIO) refuseNonRegular(path);
  if (error == ELOOP) {
    throw PortAccessError("The port register " + path +
                          " is a symbolic link; it is refused so that port writes cannot be "
                          "redirected to another file. Remove the link or " +
                          kChooseAnother + ".");
  }
  throw PortAccessError("Cannot open the port register " + path + ": " + errnoText(error) +
                        ". Check that you may read and write it, or " + kChooseAnother + ".");
}

[[noreturn]] void failCreating(const std::string& path, int error) {
  throw PortAccessError("Cannot create the port register " + path + ": " + errnoText(error) +
                        ". Check that its folder " + folderOf(path) +
                        " exists and that you may write there, or " + kChooseAnother + ".");
}

void requireRegularFile(const FileDescriptor& file, const std::string& path) {
  struct stat status {};
  if (fstat(file.get(), &status) != 0) failOpening(path, errno);
  if (!S_ISREG(status.st_mode)) refuseNonRegular(path);
}

}  // namespace

SimulatedRegister::SimulatedRegister(RegisterLocation location) : location_(std::move(location)) {}

void SimulatedRegister::writeData(std::uint8_t value) {
  if (!writerStillValid()) {
    writer_.reset();
    // Watched before the file is opened, so no change after the opening is
    // missed.
    FileDescriptor changes = watchFolder();
    writer_ = openOrCreate(O_WRONLY);
    folderChanges_ = std::move(changes);
  }
  if (pwrite(writer_.get(), &value, 1, 0) != 1) {
    throw PortAccessError("Cannot write the port register " + path() + ": " + errnoText(errno) +
                          ".");
  }
}

bool SimulatedRegister::writerStillValid() const {
  if (!writer_ || !folderChanges_) return false;
  // Any change at all: the checks of opening are made again.
  alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
  return read(folderChanges_.get(), events, sizeof events) < 0 && errno == EAGAIN;
}

FileDescriptor SimulatedRegister::watchFolder() const {
  const std::string folder = folderOf(path());
  if (location_.privateFolder()) ensurePrivateFolder(folder);
  FileDescriptor changes{inotify_init1(IN_NONBLOCK | IN_CLOEXEC)};
  // Without a watch (too many in use) each write opens the file anew.
  if (changes && inotify_add_watch(changes.get(), folder.c_str(), kFolderChanges) < 0) {
    changes.reset();
  }
  return changes;
}

std::uint8_t SimulatedRegister::readData() {
  return readFrom(openOrCreate(O_RDONLY));
}

std::uint8_t SimulatedRegister::peek() const {
  const FileDescriptor file = openExisting(O_RDONLY);
  return file ? readFrom(file) : 0;
}

std::uint8_t SimulatedRegister::readFrom(const FileDescriptor& file) const {
  std::uint8_t value = 0;
  // A file truncated to nothing reads as 0.
  if (pread(file.get(), &value, 1, 0) < 0) {
    throw PortAccessError("Cannot read the port register " + path() + ": " + errnoText(errno) +
                          ".");
  }
  return value;
}

FileDescriptor SimulatedRegister::openExisting(int access) const {
  if (location_.privateFolder()) ensurePrivateFolder(folderOf(path()));
  FileDescriptor file{::open(path().c_str(), access | kOpenFlags)};
  if (!file) {
    if (errno == ENOENT) return file;
    failOpening(path(), errno);
  }
  requireRegularFile(file, path());
  return file;
}

FileDescriptor SimulatedRegister::openOrCreate(int access) const {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    if (FileDescriptor file = openExisting(access)) return file;
    createHoldingZero();
  }
  failOpening(path(), ENOENT);
}

void SimulatedRegister::createHoldingZero() const {
  // The byte is written to a private temporary file that is then linked into
  // place, so nobody ever sees the new register without its byte, and a
  // register that another process made meanwhile is not overwritten.
  std::string temporary = path() + ".new-XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  const FileDescriptor file{mkostemp(name.data(), O_CLOEXEC)};
  if (!file) failCreating(path(), errno);
  temporary = name.data();
  const std::uint8_t zero = 0;
  const bool written = pwrite(file.get(), &zero, 1, 0) == 1;
  const int writeError = errno;
  const bool linked = written && (link(temporary.c_str(), path().c_str()) == 0 || errno == EEXIST);
  const int linkError = errno;
  unlink(temporary.c_str());
  if (!written) failCreating(path(), writeError);
  if (!linked) failCreating(path(), linkError);
}

}  // namespace velmo::port
