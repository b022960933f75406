// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ini/settings_writer.h"
#include "system/temp_folder.h"

// Settings files as hostile users and file systems make them, written to a
// fresh folder: shared by the reliability tests of both programs.
namespace velmo::reliability {

// The most memory this process has held so far (VmHWM), in kB; 0 when
// /proc cannot tell.
inline long peakResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string field; status >> field;) {
    long kb = 0;
    if (field == "VmHWM:" && status >> kb) return kb;
  }
  return 0;
}

// Writes bytes to path as they are.
inline void writeFile(const std::string& path, std::string_view bytes) {
  writeWithFiller(path, 0, bytes);
}

// A settings path that names no readable regular file, and how to make it.
struct UnusablePath {
  const char* kind;
  void (*make)(const std::string& path);
};

// Every kind of settings path that must read as a missing file without
// blocking: a folder, a FIFO without a writer, a link to /dev/zero, a link
// loop, a link to nothing.
inline const std::vector<UnusablePath>& unusablePaths() {
  namespace fs = std::filesystem;
  static const std::vector<UnusablePath> kinds = {
      {"folder", [](const std::string& path) { fs::create_directory(path); }},
      {"FIFO",
       [](const std::string& path) {
         if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo failed");
       }},
      {"link to /dev/zero", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
      {"link loop",
       [](const std::string& path) {
         fs::create_symlink(path + ".loop", path);
         fs::create_symlink(path, path + ".loop");
       }},
      {"link to nothing",
       [](const std::string& path) { fs::create_symlink(path + ".gone", path); }},
  };
  return kinds;
}

}  // namespace velmo::reliability
