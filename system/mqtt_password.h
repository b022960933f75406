// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The password file's place in the user's configuration folder.
#define VELMO_MQTT_PASSWORD_FILE "mqtt-password"

namespace velmo {

// The file that holds the password of Velmo's MQTT connections, so that it
// is never on a command line or in the environment: mqtt-password in the
// user's settings folder (userSettingsFolder(), system/paths.h).
std::string mqttPasswordPath();

// The password in the file at path: its first line, without the line end.
// The file must be a regular file of the user's own that nobody else may
// read or write (mode 0600 or less). Anything else throws RunTimeError that
// names the file and says what to do; no message ever holds the password.
std::string readMqttPassword(const std::string& path);

}  // namespace velmo
