// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/page_opener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "system/errno_text.h"
#include "system/file_descriptor.h"

namespace velmo::cli {
namespace {

std::string attributeText(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string openPrivately(const std::string& address) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || runtime[0] != '/')
    return "XDG_RUNTIME_DIR names no folder of yours for the page that leads on to the remote; "
           "open the address velmo remote url prints";
  const std::string path = std::string(runtime) + "/velmo-remote-page.html";
  const std::string page =
      "<!DOCTYPE html><meta charset=\"utf-8\"><title>Velmo Remote</title>"
      "<meta http-equiv=\"refresh\" content=\"0; url=" +
      attributeText(address) + "\">\n";
  const FileDescriptor file(
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!file || fchmod(file.get(), 0600) != 0 ||
      write(file.get(), page.data(), page.size()) != static_cast<ssize_t>(page.size()))
    return "cannot write " + path + ": " + errnoText(errno);
  execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
  return "cannot run xdg-open (package xdg-utils): " + errnoText(errno);
}

}  // namespace velmo::cli
