// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/profile_reader.h"

#include <optional>

#include "ini/file_byte_source.h"
#include "ini/profile_search.h"
#include "ini/text_encoding.h"

namespace velmo {
namespace {

// The found value, or the default, cut to fit a buffer of bufferSize
// characters with its closing NUL.
std::string fitToBuffer(const std::optional<std::string>& found, std::string_view defaultValue,
                        std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  if (found) return toUtf8(*found, TextEncoding::Utf8, bufferSize - 1);
  return toUtf8(defaultValue, encodingOf(defaultValue), bufferSize - 1);
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path) {
  std::optional<std::string> found;
  if (auto source = FileByteSource::open(path)) found = findProfileValue(*source, section, key);
  return fitToBuffer(found, defaultValue, bufferSize);
}

std::string profileStringFromBytes(std::string_view fileBytes, std::string_view section,
                                   std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize) {
  MemoryByteSource source(fileBytes);
  return fitToBuffer(findProfileValue(source, section, key), defaultValue, bufferSize);
}

std::vector<ProfileSection> profileSectionsFromBytes(std::string_view fileBytes) {
  MemoryByteSource source(fileBytes);
  return listProfileSections(source);
}

}  // namespace velmo
