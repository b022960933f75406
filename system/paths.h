// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo {

// The folder part of a path ("." for a bare name, "/" for a file in the root).
std::string folderOf(std::string_view path);

// The part of a path after its last '/' (the whole path when it has none).
std::string_view fileNameOf(std::string_view path);

// path made absolute against the current folder; an absolute path as it is.
// Nothing is resolved: "." and ".." stay.
std::string absolutePath(std::string_view path);

// The user's own folder of Velmo's settings: $XDG_CONFIG_HOME/velmo, or
// $HOME/.config/velmo when that is not set to an absolute path; "" when
// neither is.
std::string userSettingsFolder();

// Folder of the running executable as /proc/self/exe reports it ("/" for a
// program in the root folder). Throws RunTimeError if it cannot be read.
std::string programFolder();

}  // namespace velmo
