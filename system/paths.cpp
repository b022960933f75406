// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/paths.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "system/errno_text.h"
#include "system/run_time_error.h"

namespace velmo {

std::string folderOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string userSettingsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/velmo";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/velmo";
  return "";
}

std::string_view fileNameOf(std::string_view path) {
  return path.substr(path.rfind('/') + 1);
}

std::string absolutePath(std::string_view path) {
  if (path.starts_with('/')) return std::string(path);
  char folder[PATH_MAX];
  if (!getcwd(folder, sizeof folder)) return std::string(path);
  return std::string(folder) + "/" + std::string(path);
}

std::string programFolder() {
  char buffer[PATH_MAX];  // the kernel gives no longer path
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length < 0) {
    throw RunTimeError("Cannot find the program's folder: reading /proc/self/exe failed (" +
                       errnoText(errno) + "). Run the program on Linux with /proc mounted.");
  }
  const std::string path(buffer, static_cast<std::size_t>(length));
  if (path.find('/') == std::string::npos) {
    throw RunTimeError("Cannot find the program's folder: /proc/self/exe gives \"" + path +
                       "\", which is not an absolute path.");
  }
  return folderOf(path);
}

}  // namespace velmo
