// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/settings.h"

#include "ini/profile_reader.h"

namespace velmo {
namespace {

// Size of the value buffer that every settings lookup hands the reader.
constexpr std::size_t kValueBufferSize = 255;

}  // namespace

std::string IniPath(const std::string& folder, const std::string& fileName) {
  return folder + "/" + fileName;
}

std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& path) {
  return GetPrivateProfileString(section, key, "", kValueBufferSize, path);
}

}  // namespace velmo
