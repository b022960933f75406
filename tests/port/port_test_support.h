// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for the port tests: files, permissions, child processes, and the
// temporary folder they work in.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "system/temp_folder.h"

namespace velmo::test {

// The bytes of the file at path; empty when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Makes path hold exactly content.
inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// The lines of the file at path, without their line ends.
inline std::vector<std::string> readLines(const std::string& path) {
  std::istringstream text(readFile(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

// Permission bits of path (0600, 0700...), -1 if it does not exist.
inline int modeOf(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return -1;
  return static_cast<int>(status.st_mode & 07777);
}

// Runs body in a forked child and returns its result as the child's exit
// status (0..255; 255 when body threw or the child died). Environment
// changes made in body stay in the child.
inline int runInChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    int result = 255;
    try {
      result = body();
    } catch (...) {
    }
    _exit(result);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

}  // namespace velmo::test
