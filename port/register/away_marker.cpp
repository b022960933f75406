// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/away_marker.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "system/file_descriptor.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

constexpr std::string_view kInfix = ".away.";
constexpr std::size_t kLongestReason = 4096;

std::string markerPath(const std::string& registerPath) {
  return registerPath + std::string(kInfix) + std::to_string(getpid());
}

// The process a marker's name ends with, or 0 when the name is no marker.
pid_t markerProcess(std::string_view fileName, std::string_view registerName) {
  if (!fileName.starts_with(registerName)) return 0;
  fileName.remove_prefix(registerName.size());
  if (!fileName.starts_with(kInfix)) return 0;
  fileName.remove_prefix(kInfix.size());
  if (fileName.empty() || fileName.size() > 9 ||
      !std::all_of(fileName.begin(), fileName.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return static_cast<pid_t>(std::stol(std::string(fileName)));
}

bool runs(pid_t process) {
  return kill(process, 0) == 0 || errno == EPERM;
}

std::string readReason(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file) return "";
  std::string reason(kLongestReason, '\0');
  const ssize_t length = read(file.get(), reason.data(), reason.size());
  reason.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return reason;
}

}  // namespace

void writeAwayMarker(const std::string& registerPath, const std::string& reason) {
  const std::string marker = markerPath(registerPath);
  const std::string draft = marker + ".new";
  const FileDescriptor file(
      open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  const bool written = file && write(file.get(), reason.data(), reason.size()) ==
                                   static_cast<ssize_t>(reason.size());
  if (!written || rename(draft.c_str(), marker.c_str()) != 0) unlink(draft.c_str());
}

void removeAwayMarker(const std::string& registerPath) {
  unlink(markerPath(registerPath).c_str());
}

bool isAwayMarker(std::string_view fileName, std::string_view registerName) {
  return markerProcess(fileName, registerName) != 0;
}

std::string awayReason(const std::string& registerPath) {
  const std::string folder = folderOf(registerPath);
  const std::string_view registerName = fileNameOf(registerPath);
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(opendir(folder.c_str()), closedir);
  if (!entries) return "";
  while (const dirent* entry = readdir(entries.get())) {
    const pid_t process = markerProcess(entry->d_name, registerName);
    if (process != 0 && runs(process)) {
      const std::string reason = readReason(folder + "/" + entry->d_name);
      if (!reason.empty()) return reason;
    }
  }
  return "";
}

}  // namespace velmo::port
