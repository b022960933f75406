// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::port {

// Makes sure folder is a private folder of the current user: creates it with
// mode 0700 when it is missing (its parent must exist), and refuses, with a
// PortAccessError that names the folder and the fix, one that is a symbolic
// link, not a folder, owned by another user, or writable by group or others.
void ensurePrivateFolder(const std::string& folder);

}  // namespace velmo::port
