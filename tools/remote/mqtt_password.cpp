// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/mqtt_password.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <stdexcept>

#include "system/errno_text.h"
#include "system/file_descriptor.h"
#include "tools/remote/token_store.h"

namespace velmo::remote {
namespace {

constexpr std::size_t kLongest = 4096;

std::string howToMakeIt(const std::string& path) {
  return " Put the password alone in it, for you only: install -D -m 600 /dev/stdin " + path +
         " (type the password, Enter, then Ctrl-D).";
}

}  // namespace

std::string mqttPasswordPath() {
  return tokenFolder() + "/mqtt-password";
}

std::string readMqttPassword(const std::string& path) {
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file) {
    throw std::runtime_error("cannot read the MQTT password from " + path + ": " +
                             errnoText(errno) + "." + howToMakeIt(path));
  }
  struct stat status {};
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
    throw std::runtime_error("the MQTT password file " + path + " is no plain file." +
                             howToMakeIt(path));
  if (status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
    throw std::runtime_error("the MQTT password file " + path +
                             " may be read or changed by others: make it yours alone (chmod 600 " +
                             path + ") and change the password, which others may have read.");
  }
  std::string text(kLongest, '\0');
  const ssize_t got = read(file.get(), text.data(), text.size());
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  text.resize(std::min(text.find_first_of("\r\n"), text.size()));
  if (text.empty())
    throw std::runtime_error("the MQTT password file " + path + " is empty." + howToMakeIt(path));
  return text;
}

}  // namespace velmo::remote
