#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo {

// Our stand-in for the Windows GetPrivateProfileString. Text in and out is
// UTF-8; the file may be UTF-8 (with or without a BOM) or Windows-1252.
// Returns the value of key in the first section named section, cut to
// bufferSize - 1 characters, or defaultValue (cut likewise) when the file,
// the section or the key is missing. A path that is not a readable regular
// file reads as missing. Never blocks, never throws, keeps no cache.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path);

// The same rules applied to file content held in memory (tests, fuzzing).
std::string profileStringFromBytes(std::string_view fileBytes, std::string_view section,
                                   std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize);

}  // namespace velmo
