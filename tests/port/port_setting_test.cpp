// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_setting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "port/register/simulated_register.h"
#include "system/temp_folder.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using Folder = RegisterLocation::Folder;

PortEnvironment withPort(const std::string& port) {
  return {port, "", "/run/user/1000", 1000};
}

TEST(DefaultRegisterPath, IsInTheRuntimeFolderOrElseInAFolderOfTheUserUnderTmp) {
  EXPECT_EQ(defaultRegisterPath({"", "", "/run/user/1000", 1000}), "/run/user/1000/velmo/port-888");
  EXPECT_EQ(defaultRegisterPath({"", "", "", 1000}), "/tmp/velmo-1000/port-888");
  EXPECT_EQ(defaultRegisterPath({"", "", "relative/dir", 1000}), "/tmp/velmo-1000/port-888");
}

struct ValidSetting {
  const char* value;
  PortSetting setting;
  std::string target;  // its canonical name
};

class ValidPortSetting : public ::testing::TestWithParam<ValidSetting> {};

TEST_P(ValidPortSetting, IsTakenApartAndNamed) {
  EXPECT_EQ(parsePortSetting(withPort(GetParam().value)), GetParam().setting);
  EXPECT_EQ(targetName(GetParam().setting), GetParam().target);
}

TEST(PortTarget, ARelativeRegisterIsNamedByItsAbsolutePath) {
  EXPECT_EQ(targetName(parsePortSetting(withPort("sim:here/port"))),
            "sim:" + std::filesystem::current_path().string() + "/here/port");
}

const RegisterLocation kDefault{"/run/user/1000/velmo/port-888", Folder::kPrivate};

RegisterLocation besideDefault(const char* name) {
  return {std::string("/run/user/1000/velmo/") + name, Folder::kPrivate};
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValidPortSetting,
    ::testing::Values(
        ValidSetting{"", SimulatedSetting{kDefault}, ""},
        ValidSetting{"sim", SimulatedSetting{kDefault}, ""},
        ValidSetting{"sim:/run/user/1000/velmo/port-888", SimulatedSetting{kDefault}, ""},
        ValidSetting{"sim:/srv/show/register",
                     SimulatedSetting{{"/srv/show/register", Folder::kExisting}},
                     "sim:/srv/show/register"},
        ValidSetting{"hw:parport0", HardwareSetting{"parport0", kDefault}, "hw:parport0"},
        ValidSetting{"hw:0x378", HardwareSetting{"0x378", kDefault}, "hw:0x378"},
        ValidSetting{"ola:1", OlaSetting{{1, 1, 9010}, besideDefault("ola-1-1-9010")},
                     "ola:1:1@9010"},
        ValidSetting{"ola:0:505", OlaSetting{{0, 505, 9010}, besideDefault("ola-0-505-9010")},
                     "ola:0:505@9010"},
        ValidSetting{"ola:2147483647:17@1",
                     OlaSetting{{2147483647, 17, 1}, besideDefault("ola-2147483647-17-1")},
                     "ola:2147483647:17@1"},
        ValidSetting{"ola:007@65535", OlaSetting{{7, 1, 65535}, besideDefault("ola-7-1-65535")},
                     "ola:7:1@65535"},
        ValidSetting{"ftdi:", FtdiSetting{"", besideDefault("ftdi-")}, "ftdi:"},
        ValidSetting{
            "ftdi:s:0x0403:0x6001:A9HX",
            FtdiSetting{"s:0x0403:0x6001:A9HX", besideDefault("ftdi-s_3a0x0403_3a0x6001_3aA9HX")},
            "ftdi:s:0x0403:0x6001:A9HX"},
        ValidSetting{"hidrelay", HidRelaySetting{"", besideDefault("hidrelay-")}, "hidrelay:"},
        ValidSetting{"serial:/dev/ttyUSB0",
                     SerialSetting{"/dev/ttyUSB0", besideDefault("serial-_2fdev_2fttyUSB0")},
                     "serial:/dev/ttyUSB0"},
        ValidSetting{"gpio:gpiochip0:17,!GPIO18",
                     GpioSetting{"gpiochip0",
                                 {{"17", false}, {"GPIO18", true}},
                                 besideDefault("gpio-gpiochip0_3a17_2c_21GPIO18")},
                     "gpio:gpiochip0:17,!GPIO18"},
        ValidSetting{
            "mqtt:broker/cmnd/POWER{line}",
            MqttSetting{
                false, "", "broker", 1883, "cmnd/POWER{line}", "ON", "OFF",
                besideDefault("mqtt-broker_3a1883_2fcmnd_2fPOWER_7bline_7d_3fon_3dON_26off_3dOFF")},
            "mqtt:broker:1883/cmnd/POWER{line}?on=ON&off=OFF"},
        ValidSetting{
            "mqtts:me@[::1]:8884/r{index}?off=0&on=%31",
            MqttSetting{
                true, "me", "::1", 8884, "r{index}", "1", "0",
                besideDefault("mqtts-me_40_5b_3a_3a1_5d_3a8884_2fr_7bindex_7d_3fon_3d1_26off_3d0")},
            "mqtts:me@[::1]:8884/r{index}?on=1&off=0"}));

class InvalidPortSetting : public ::testing::TestWithParam<const char*> {};

TEST_P(InvalidPortSetting, IsAnErrorThatListsTheValidForms) {
  try {
    parsePortSetting(withPort(GetParam()));
    ADD_FAILURE() << "accepted " << GetParam();
  } catch (const PortAccessError& error) {
    EXPECT_THAT(
        error.what(),
        AllOf(HasSubstr("VELMO_PORT=\"" + std::string(GetParam()) + "\""), HasSubstr("\"sim\""),
              HasSubstr("/run/user/1000/velmo/port-888"), HasSubstr("\"sim:PATH\""),
              HasSubstr("\"hw:NAME\""), HasSubstr("\"ola:UNIVERSE[:CHANNEL][@RPCPORT]\"")));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, InvalidPortSetting,
    ::testing::Values("simulated", "sim:", "hw:", "hw", "SIM", "parport0", " sim", "ola",
                      "ola:", "OLA:1", "ola:x", "ola:1:", "ola:1@", "ola:@9010", "ola:-1", "ola:+1",
                      "ola: 1", "ola:1:2:3", "ola:1@9010@9011", "ola:1.5", "ftdi:x", "ftdi:i:0403",
                      "ftdi:d:1", "hidrelay:a:b", "serial", "serial:", "gpio:chip", "gpio::1",
                      "gpio:c:1,,2", "gpio:c:1,2,3,4,5,6,7,8,9", "gpio:c:!", "mqtt:host",
                      "mqtt:@h/t{line}", "mqtt:h:/t{line}", "mqtt:h/t{line}?on",
                      "mqtt:h/t{line}?dim=1", "mqtt:h/t{line}?on=%4"));

struct OutOfRange {
  const char* value;
  const char* rule;
};

class OlaNumberOutOfRange : public ::testing::TestWithParam<OutOfRange> {};

TEST_P(OlaNumberOutOfRange, IsAnErrorThatGivesTheRange) {
  try {
    parsePortSetting(withPort(GetParam().value));
    ADD_FAILURE() << "accepted " << GetParam().value;
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), AllOf(HasSubstr("VELMO_PORT=\"" + std::string(GetParam().value) +
                                              "\" is out of range: "),
                                    HasSubstr(GetParam().rule)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, OlaNumberOutOfRange,
    ::testing::Values(OutOfRange{"ola:2147483648", "UNIVERSE must be 0 to 2147483647."},
                      OutOfRange{"ola:99999999999999999999999", "UNIVERSE must be 0 to"},
                      OutOfRange{"ola:1:0", "CHANNEL must be 1 to 505, so that the eight lines"},
                      OutOfRange{"ola:1:506", "CHANNEL must be 1 to 505"},
                      OutOfRange{"ola:1@0", "RPCPORT must be 1 to 65535"},
                      OutOfRange{"ola:1:1@65536", "RPCPORT must be 1 to 65535"}));

class MqttTargetRefused : public ::testing::TestWithParam<OutOfRange> {};

TEST_P(MqttTargetRefused, IsAnErrorThatGivesTheRule) {
  EXPECT_THROW(
      try { parsePortSetting(withPort(GetParam().value)); } catch (const PortAccessError& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().rule));
        throw;
      },
      PortAccessError);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MqttTargetRefused,
    ::testing::Values(OutOfRange{"mqtt:h:0/t{line}", "PORT must be 1 to 65535"},
                      OutOfRange{"mqtt:h/relays", "TOPIC must hold {line} (1 to 8) or {index}"},
                      OutOfRange{"mqtt:h/+/{line}", "a TOPIC to publish on holds no + or #"}));

TEST(MakeDataRegister, SimulatedSettingGivesTheRegisterAtItsPath) {
  velmo::TempFolder temp;
  const auto backend =
      makeDataRegister(parsePortSetting({"sim:" + (temp / "reg"), "", "", geteuid()}));
  backend->writeData(0x99);
  EXPECT_EQ(SimulatedRegister({temp / "reg", Folder::kExisting}).peek(), 0x99);
}

TEST(MakeDataRegister, ARelayThatIsNotThereIsAClearErrorAndNothingIsWritten) {
  velmo::TempFolder temp;
  for (const auto& [port, error] :
       {std::pair{"serial:/dev/velmo-no-port", "There is no serial port /dev/velmo-no-port."},
        std::pair{"serial:/dev/null", "/dev/null is not a serial port"}}) {
    try {
      makeDataRegister(parsePortSetting({port, "", temp.path(), geteuid()}));
      ADD_FAILURE() << "opened " << port;
    } catch (const PortAccessError& failure) {
      EXPECT_THAT(failure.what(), HasSubstr(error));
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(temp / "velmo")) {
    EXPECT_EQ(entry.path().extension(), ".driver") << "only the driver lock, no register";
  }
}

TEST(MakeDataRegister, HardwareThatIsNotThereIsAClearError) {
  if (access("/dev/parport0", F_OK) == 0) GTEST_SKIP() << "this machine has a parallel port";
  velmo::TempFolder temp;
  try {
    makeDataRegister(parsePortSetting({"hw:parport0", "", temp.path(), geteuid()}));
    ADD_FAILURE() << "opened parport0";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), HasSubstr("There is no parallel port named parport0"));
  }
}

}  // namespace
}  // namespace velmo::port
