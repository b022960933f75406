// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/file_byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velmo {
namespace {

bool isRegularFile(const struct stat& status) {
  return S_ISREG(status.st_mode);
}

}  // namespace

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
  if (path.find('\0') != std::string::npos) return nullptr;
  // Looking first spares devices the side effects of being opened; the check
  // on the open descriptor is the one that counts.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !isRegularFile(status)) return nullptr;
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file || ::fstat(file.get(), &status) != 0 || !isRegularFile(status)) return nullptr;
  return std::unique_ptr<FileByteSource>(new FileByteSource(std::move(file)));
}

std::string_view FileByteSource::next() {
  if (failed_) return {};
  ssize_t count;
  do {
    count = ::read(file_.get(), buffer_.data(), buffer_.size());
  } while (count < 0 && errno == EINTR);
  if (count < 0) {
    failed_ = true;
    return {};
  }
  return {buffer_.data(), static_cast<std::size_t>(count)};
}

}  // namespace velmo
