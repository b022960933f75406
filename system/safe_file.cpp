// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "system/errno_text.h"
#include "system/file_descriptor.h"
#include "system/paths.h"

namespace velmo {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& what) {
  throw FileReplaceError("cannot save " + path + ": " + what + " (" + errnoText(errno) + ")");
}

// Writes bytes to a new file beside path, with mode, flushed to disk, and
// renames it to target.
void writeAndRename(const std::string& path, const std::string& target, std::string_view bytes,
                    mode_t mode) {
  std::string temporary = target + ".new-XXXXXX";
  FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (!file) fail(path, "cannot make a new file in " + folderOf(path));
  struct Remove {
    std::string path;
    bool done = false;
    ~Remove() {
      if (!done) unlink(path.c_str());
    }
  } remove{temporary};
  if (fchmod(file.get(), mode) != 0) fail(path, "cannot set the permissions of " + temporary);
  for (std::size_t written = 0; written < bytes.size();) {
    const ssize_t n = write(file.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(path, "cannot write " + temporary);
    written += static_cast<std::size_t>(n);
  }
  if (fsync(file.get()) != 0) fail(path, "cannot flush " + temporary + " to disk");
  if (close(file.release()) != 0) fail(path, "cannot write " + temporary);
  if (rename(temporary.c_str(), target.c_str()) != 0) fail(path, "cannot rename it to " + target);
  remove.done = true;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status {};
  if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    if (!file && errno != ENOENT && errno != ENOTDIR) {
      throw FileReplaceError("cannot read " + path + " (" + errnoText(errno) + ")");
    }
    return std::nullopt;
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileReplaceError("cannot read " + path + " (" + errnoText(errno) + ")");
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

void replaceFileSafely(const std::string& named, std::string_view bytes,
                       const std::optional<std::string>& expected) {
  if (readWholeFile(named) != expected) {
    throw FileChangedError(named + " was changed on disk since it was read");
  }
  // A link stays a link: the file it leads to is replaced.
  std::string path = named;
  if (char* real = realpath(named.c_str(), nullptr)) {
    path = real;
    free(real);
  }
  mode_t mode = 0644;
  struct stat status {};
  if (expected && stat(path.c_str(), &status) == 0) mode = status.st_mode & 07777;
  if (expected) writeAndRename(path, path + ".bak", *expected, mode);
  writeAndRename(path, path, bytes, mode);
  FileDescriptor folder(open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) fsync(folder.get());  // the renames; a folder that cannot be flushed keeps them too
}

}  // namespace velmo
