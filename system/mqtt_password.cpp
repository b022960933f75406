// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/mqtt_password.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "system/errno_text.h"
#include "system/file_descriptor.h"
#include "system/paths.h"
#include "system/run_time_error.h"

namespace velmo {
namespace {

constexpr std::size_t kLongest = 4096;

std::string makeIt(const std::string& path) {
  return " Put the password in it alone, readable by you only: install -D -m 600 /dev/stdin " +
         path + " (type the password, then Enter and Ctrl-D).";
}

}  // namespace

std::string mqttPasswordPath() {
  return userSettingsFolder() + "/" VELMO_MQTT_PASSWORD_FILE;
}

std::string readMqttPassword(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file) {
    throw RunTimeError("Cannot read the MQTT password from " + path + ": " + errnoText(errno) +
                       "." + makeIt(path));
  }
  struct stat status {};
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw RunTimeError("The MQTT password file " + path + " is not a regular file." + makeIt(path));
  }
  if (status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
    throw RunTimeError("The MQTT password file " + path +
                       " may be read or changed by others: make it yours alone (chmod 600 " + path +
                       ", owned by you) and change the password, which others may have "
                       "read.");
  }
  std::string text(kLongest, '\0');
  const ssize_t length = read(file.get(), text.data(), text.size());
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  text = text.substr(0, text.find_first_of("\r\n"));
  if (text.empty())
    throw RunTimeError("The MQTT password file " + path + " is empty." + makeIt(path));
  return text;
}

}  // namespace velmo
