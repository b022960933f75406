// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::cli {

// Opens address (which holds the remote's token) in the desktop's web
// browser without putting it on a command line, where every user of the
// machine can read it: xdg-open gets a page of the user's alone
// ($XDG_RUNTIME_DIR/velmo-remote-page.html, mode 0600) that leads on to
// address. Does not return when xdg-open runs; otherwise returns why not.
std::string openPrivately(const std::string& address);

}  // namespace velmo::cli
