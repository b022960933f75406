// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmo {

// A file could not be replaced; what() names it and says why. The program
// goes on: nothing was changed.
class FileReplaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file no longer holds what was read from it: someone changed it since.
class FileChangedError : public FileReplaceError {
 public:
  using FileReplaceError::FileReplaceError;
};

// The whole content of the regular file at path; nullopt when there is none
// (missing, or not a regular file). Throws FileReplaceError when it is there
// but cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

// Replaces the file at path with bytes so that a crash or a full disk at any
// moment leaves the old file or the new one, each whole:
//  1. the file must still hold `expected` (nullopt: there must be none), else
//     FileChangedError, and nothing is changed;
//  2. the old content is kept as path + ".bak" (replacing an older one);
//  3. bytes go to a new file in the same folder, with the old file's
//     permissions (0644 for a file that was not there), flushed to disk, and
//     renamed over path; the folder is flushed too.
// Where path is a symbolic link, the file it leads to is replaced.
// Each new file is written and flushed before it is renamed into place. On
// failure throws FileReplaceError naming the file and the reason; path is
// then untouched and no new file is left behind.
void replaceFileSafely(const std::string& path, std::string_view bytes,
                       const std::optional<std::string>& expected);

}  // namespace velmo
