// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/mqtt_password.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "system/run_time_error.h"
#include "system/temp_folder.h"

namespace velmo {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

struct PasswordFile {
  const char* content;  // nullptr: no file; "->": a link to a good file
  mode_t mode;
  const char* outcome;  // the password, or a part of the error
};

class MqttPassword : public ::testing::TestWithParam<PasswordFile> {};

TEST_P(MqttPassword, IsTheFirstLineOfAFileOnlyTheUserMayRead) {
  TempFolder temp;
  const std::string path = temp / "mqtt-password";
  const std::string content = GetParam().content ? GetParam().content : "";
  if (content == "->") {
    std::ofstream(temp / "good") << "s3cret";
    chmod((temp / "good").c_str(), 0600);
    symlink((temp / "good").c_str(), path.c_str());
  } else if (GetParam().content) {
    std::ofstream(path) << content;
    chmod(path.c_str(), GetParam().mode);
  }
  try {
    EXPECT_EQ(readMqttPassword(path), GetParam().outcome);
  } catch (const RunTimeError& error) {
    EXPECT_THAT(error.what(),
                AllOf(HasSubstr(GetParam().outcome), HasSubstr(path), Not(HasSubstr("s3cret"))));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MqttPassword,
    ::testing::Values(PasswordFile{"s3cret\nsecond line", 0600, "s3cret"},
                      PasswordFile{"s3cret\r\n", 0400, "s3cret"},
                      PasswordFile{"s3cret", 0640, "may be read or changed by others: make it"},
                      PasswordFile{"\n", 0600, "is empty. Put the password in it alone"},
                      PasswordFile{nullptr, 0, "Cannot read the MQTT password from"},
                      PasswordFile{"->", 0, "Too many levels of symbolic links"}));

TEST(MqttPasswordPath, IsInTheUsersConfigurationFolder) {
  setenv("HOME", "/home/ola", 1);
  setenv("XDG_CONFIG_HOME", "/srv/config", 1);
  EXPECT_EQ(mqttPasswordPath(), "/srv/config/velmo/mqtt-password");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(mqttPasswordPath(), "/home/ola/.config/velmo/mqtt-password");
}

}  // namespace
}  // namespace velmo
