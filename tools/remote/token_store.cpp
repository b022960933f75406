// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/token_store.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "system/ascii_case.h"
#include "system/errno_text.h"
#include "system/file_descriptor.h"
#include "system/paths.h"

namespace velmo::remote {
namespace {

constexpr std::size_t kTokenBytes = 16;
constexpr const char* kFileName = "/remote-token";

[[noreturn]] void fail(const std::string& what, int error) {
  throw std::runtime_error(what + ": " + errnoText(error));
}

std::string hexText(const unsigned char* bytes, std::size_t size) {
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

void makeFolders(const std::string& folder) {
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = folder.find('/', slash + 1);
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) fail("cannot make " + part, errno);
  }
}

bool isToken(const std::string& text) {
  return text.size() == 2 * kTokenBytes && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
         });
}

std::string readToken(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!file) fail("cannot read the token in " + path, errno);
  struct stat status {};
  if (fstat(file.get(), &status) != 0) fail("cannot read the token in " + path, errno);
  if (status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
    throw std::runtime_error(path +
                             " may be read by others: delete it (a new token is made) or "
                             "make it yours alone with chmod 600");
  }
  char text[2 * kTokenBytes + 2] = {};
  const ssize_t got = read(file.get(), text, sizeof text - 1);
  std::string token(text, got > 0 ? static_cast<std::size_t>(got) : 0);
  while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
  if (!isToken(token)) {
    throw std::runtime_error(path +
                             " holds no token (32 hex digits): delete it, and a new "
                             "token is made");
  }
  return asciiLowercase(token);
}

// Writes a new token; false when another process made the file first.
bool writeNewToken(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!file && errno == EEXIST) return false;
  if (!file) fail("cannot make the token file " + path, errno);
  unsigned char bits[kTokenBytes];
  if (getrandom(bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits))
    fail("cannot draw a random token", errno);
  const std::string line = hexText(bits, sizeof bits) + "\n";
  if (write(file.get(), line.data(), line.size()) != static_cast<ssize_t>(line.size()) ||
      fsync(file.get()) != 0) {
    const int error = errno;
    unlink(path.c_str());
    fail("cannot write the token file " + path, error);
  }
  return true;
}

}  // namespace

std::string tokenFolder() {
  const std::string folder = userSettingsFolder();
  if (folder.empty())
    throw std::runtime_error("neither XDG_CONFIG_HOME nor HOME names a folder for the token");
  return folder;
}

std::string tokenFile(const std::string& folder) {
  return folder + kFileName;
}

std::string loadOrMakeToken(const std::string& folder) {
  makeFolders(folder);
  const std::string path = tokenFile(folder);
  writeNewToken(path);
  return readToken(path);
}

}  // namespace velmo::remote
