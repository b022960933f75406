#pragma once

#include <unistd.h>

#include <string>
#include <system_error>
#include <utility>

namespace velmo::port {

// Owns a file descriptor and closes it.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The system's text for an errno value ("No such file or directory").
inline std::string errnoText(int errnoValue) {
  return std::generic_category().message(errnoValue);
}

}  // namespace velmo::port
