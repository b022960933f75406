// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::remote {

// Where the remote keeps its token: the user's settings folder
// (userSettingsFolder(), system/paths.h). Throws std::runtime_error when
// there is none.
std::string tokenFolder();

// The token's file in folder.
std::string tokenFile(const std::string& folder);

// The token in folder/remote-token, in lowercase: 128 random bits as 32 hex
// digits (of either case in the file), made
// on first use in a file of mode 0600 (the folder made 0700 if missing) and
// read from it afterwards. Throws std::runtime_error that says what to do
// when the file cannot be made or read, holds no token, or may be read by
// others.
std::string loadOrMakeToken(const std::string& folder);

}  // namespace velmo::remote
