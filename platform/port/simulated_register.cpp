#include "platform/port/simulated_register.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/errno_text.h"
#include "platform/port/private_folder.h"

namespace velmo::port {
namespace {

// No symbolic link is followed at the last step, and opening a FIFO or a
// device found at the register path can never block.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

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

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

SimulatedRegister::SimulatedRegister(std::string path, Folder folder)
    : path_(std::move(path)), folder_(folder) {}

void SimulatedRegister::writeData(std::uint8_t value) {
  if (!pathStillNamesWriter()) {
    writer_.reset();
    keepWriter(openOrCreate(O_WRONLY));
  }
  if (pwrite(writer_.get(), &value, 1, 0) != 1) {
    throw PortAccessError("Cannot write the port register " + path_ + ": " + errnoText(errno) +
                          ".");
  }
}

bool SimulatedRegister::pathStillNamesWriter() const {
  struct stat status {};
  return writer_ && lstat(path_.c_str(), &status) == 0 && status.st_dev == writerIdentity_.device &&
         status.st_ino == writerIdentity_.inode;
}

void SimulatedRegister::keepWriter(FileDescriptor file) {
  struct stat status {};
  if (fstat(file.get(), &status) != 0) failOpening(path_, errno);
  writer_ = std::move(file);
  writerIdentity_ = {status.st_dev, status.st_ino};
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
    throw PortAccessError("Cannot read the port register " + path_ + ": " + errnoText(errno) + ".");
  }
  return value;
}

FileDescriptor SimulatedRegister::openExisting(int access) const {
  if (folder_ == Folder::kPrivate) ensurePrivateFolder(folderOf(path_));
  FileDescriptor file{::open(path_.c_str(), access | kOpenFlags)};
  if (!file) {
    if (errno == ENOENT) return file;
    failOpening(path_, errno);
  }
  requireRegularFile(file, path_);
  return file;
}

FileDescriptor SimulatedRegister::openOrCreate(int access) const {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    if (FileDescriptor file = openExisting(access)) return file;
    createHoldingZero();
  }
  failOpening(path_, ENOENT);
}

void SimulatedRegister::createHoldingZero() const {
  // The byte is written to a private temporary file that is then linked into
  // place, so nobody ever sees the new register without its byte, and a
  // register that another process made meanwhile is not overwritten.
  std::string temporary = path_ + ".new-XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  const FileDescriptor file{mkostemp(name.data(), O_CLOEXEC)};
  if (!file) failCreating(path_, errno);
  temporary = name.data();
  const std::uint8_t zero = 0;
  const bool written = pwrite(file.get(), &zero, 1, 0) == 1;
  const int writeError = errno;
  const bool linked = written && (link(temporary.c_str(), path_.c_str()) == 0 || errno == EEXIST);
  const int linkError = errno;
  unlink(temporary.c_str());
  if (!written) failCreating(path_, writeError);
  if (!linked) failCreating(path_, linkError);
}

}  // namespace velmo::port
