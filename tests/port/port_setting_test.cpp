#include "port/port_setting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "port/simulated_register.h"
#include "system/temp_folder.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using Kind = PortSetting::Kind;

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
  Kind kind;
  const char* registerPath;
  bool privateFolder;
  const char* hardwareName;
  OlaTarget ola = {};
};

class ValidPortSetting : public ::testing::TestWithParam<ValidSetting> {};

TEST_P(ValidPortSetting, IsTakenApart) {
  const ValidSetting& row = GetParam();
  const PortSetting setting = parsePortSetting(withPort(row.value));
  EXPECT_EQ(setting.kind, row.kind);
  EXPECT_EQ(setting.registerPath, row.registerPath);
  EXPECT_EQ(setting.privateFolder, row.privateFolder);
  EXPECT_EQ(setting.hardwareName, row.hardwareName);
  EXPECT_EQ(setting.ola, row.ola);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValidPortSetting,
    ::testing::Values(
        ValidSetting{"", Kind::kSimulated, "/run/user/1000/velmo/port-888", true, ""},
        ValidSetting{"sim", Kind::kSimulated, "/run/user/1000/velmo/port-888", true, ""},
        ValidSetting{"sim:/srv/show/register", Kind::kSimulated, "/srv/show/register", false, ""},
        ValidSetting{"hw:parport0", Kind::kHardware, "/run/user/1000/velmo/port-888", true,
                     "parport0"},
        ValidSetting{"hw:0x378", Kind::kHardware, "/run/user/1000/velmo/port-888", true, "0x378"},
        ValidSetting{
            "ola:1", Kind::kOla, "/run/user/1000/velmo/ola-1-1-9010", true, "", {1, 1, 9010}},
        ValidSetting{"ola:0:505",
                     Kind::kOla,
                     "/run/user/1000/velmo/ola-0-505-9010",
                     true,
                     "",
                     {0, 505, 9010}},
        ValidSetting{"ola:2147483647:17@1",
                     Kind::kOla,
                     "/run/user/1000/velmo/ola-2147483647-17-1",
                     true,
                     "",
                     {2147483647, 17, 1}},
        ValidSetting{"ola:007@65535",
                     Kind::kOla,
                     "/run/user/1000/velmo/ola-7-1-65535",
                     true,
                     "",
                     {7, 1, 65535}}));

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

INSTANTIATE_TEST_SUITE_P(Values, InvalidPortSetting,
                         ::testing::Values("simulated", "sim:", "hw:", "hw", "SIM", "parport0",
                                           " sim", "ola", "ola:", "OLA:1", "ola:x",
                                           "ola:1:", "ola:1@", "ola:@9010", "ola:-1", "ola:+1",
                                           "ola: 1", "ola:1:2:3", "ola:1@9010@9011", "ola:1.5"));

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

TEST(PortBackendFactory, SimulatedSettingGivesTheRegisterAtItsPath) {
  velmo::TempFolder temp;
  const auto backend =
      makePortBackend(parsePortSetting({"sim:" + (temp / "reg"), "", "", geteuid()}));
  backend->writeData(0x99);
  EXPECT_EQ(SimulatedRegister(temp / "reg", SimulatedRegister::Folder::kExisting).peek(), 0x99);
}

TEST(PortBackendFactory, HardwareThatIsNotThereIsAClearError) {
  if (access("/dev/parport0", F_OK) == 0) GTEST_SKIP() << "this machine has a parallel port";
  velmo::TempFolder temp;
  try {
    makePortBackend(parsePortSetting({"hw:parport0", "", temp.path(), geteuid()}));
    ADD_FAILURE() << "opened parport0";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), HasSubstr("There is no parallel port named parport0"));
  }
}

}  // namespace
}  // namespace velmo::port
