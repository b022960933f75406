// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace velmo {

// The settings-file path rule: program folder, "/", file name, not
// normalised ("//Velmo.ini" for a program in the root folder).
std::string IniPath(const std::string& folder, const std::string& fileName);

// The value text of key in section of the settings file at path, cut to 254
// characters; "" when the file, the section or the key is missing. Reads the
// file afresh on every call and never raises an error.
std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& path);

// A settings lookup with ReadIniString's contract; the programs take one so
// tests can watch or replace their reads.
using IniReader = std::function<std::string(const std::string& section, const std::string& key,
                                            const std::string& path)>;

}  // namespace velmo
