// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "port/data_register.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

// Opens path for appending, creating it for the user alone: a show's record
// is nobody else's business. A symbolic link is refused (ELOOP), so a link
// planted where the trace goes cannot make the program append to a file it
// points at. A named pipe that no program reads fails at once (ENXIO)
// instead of holding up the program until a reader comes; once open, writes
// wait for the reader as usual.
int openForAppending(const std::string& path) {
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool isNamedPipe(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

bool isSymbolicLink(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

constexpr const char* kChooseAnother =
    "a file in a folder you may write, or unset VELMO_PORT_TRACE.";

[[noreturn]] void failOpening(const std::string& path, int error) {
  const std::string start = "Cannot open the port trace " + path + " (VELMO_PORT_TRACE): ";
  if (error == ENXIO && isNamedPipe(path)) {
    throw PortAccessError(start +
                          "it is a named pipe that no program reads. Start the program that "
                          "reads it first, or choose " +
                          kChooseAnother);
  }
  if (error == ELOOP && isSymbolicLink(path))
    throw PortAccessError(start +
                          "it is a symbolic link, which the trace never follows. Name the "
                          "file itself, or choose " +
                          kChooseAnother);
  throw PortAccessError(start + errnoText(error) + ". Choose " + kChooseAnother);
}

}  // namespace

PortTrace::PortTrace(const std::string& path, const Clock& clock)
    : path_(path), clock_(clock), file_(openForAppending(path)) {
  if (!file_) failOpening(path_, errno);
}

void PortTrace::record(Direction direction, int port, std::uint8_t value) {
  char line[80];
  const int length = std::snprintf(line, sizeof line, "%lld %s %d %d\n",
                                   static_cast<long long>(clock_.now().count()),
                                   direction == Direction::kOut ? "out" : "in", port, value);
  const ssize_t written = ::write(file_.get(), line, static_cast<std::size_t>(length));
  if (written != length) {
    const std::string reason = written < 0 ? errnoText(errno) : "the line was cut short";
    throw PortAccessError("Cannot write the port trace " + path_ + ": " + reason + ".");
  }
}

}  // namespace velmo::port
