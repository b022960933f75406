// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmo::remote {

// The file that holds the password of the MQTT user, so that it is never on
// a command line: mqtt-password in the token's folder
// ($XDG_CONFIG_HOME/velmo, or ~/.config/velmo).
std::string mqttPasswordPath();

// The password in the file at path: its first line. The file must be a
// regular file of the user's own that nobody else may read or change (mode
// 0600 or less). Anything else throws std::runtime_error that names the
// file and says what to do; no message holds the password.
std::string readMqttPassword(const std::string& path);

}  // namespace velmo::remote
