#include "platform/port/port_setting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/port/simulated_register.h"
#include "tests/support/temp_folder.h"

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
};

class ValidPortSetting : public ::testing::TestWithParam<ValidSetting> {};

TEST_P(ValidPortSetting, IsTakenApart) {
  const ValidSetting& row = GetParam();
  const PortSetting setting = parsePortSetting(withPort(row.value));
  EXPECT_EQ(setting.kind, row.kind);
  EXPECT_EQ(setting.registerPath, row.registerPath);
  EXPECT_EQ(setting.privateFolder, row.privateFolder);
  EXPECT_EQ(setting.hardwareName, row.hardwareName);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValidPortSetting,
    ::testing::Values(
        ValidSetting{"", Kind::kSimulated, "/run/user/1000/velmo/port-888", true, ""},
        ValidSetting{"sim", Kind::kSimulated, "/run/user/1000/velmo/port-888", true, ""},
        ValidSetting{"sim:/srv/show/register", Kind::kSimulated, "/srv/show/register", false, ""},
        ValidSetting{"hw:parport0", Kind::kHardware, "/run/user/1000/velmo/port-888", true,
                     "parport0"},
        ValidSetting{"hw:0x378", Kind::kHardware, "/run/user/1000/velmo/port-888", true, "0x378"}));

class InvalidPortSetting : public ::testing::TestWithParam<const char*> {};

TEST_P(InvalidPortSetting, IsAnErrorThatListsTheValidForms) {
  try {
    parsePortSetting(withPort(GetParam()));
    ADD_FAILURE() << "accepted " << GetParam();
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(),
                AllOf(HasSubstr("VELMO_PORT=\"" + std::string(GetParam()) + "\""),
                      HasSubstr("\"sim\""), HasSubstr("/run/user/1000/velmo/port-888"),
                      HasSubstr("\"sim:PATH\""), HasSubstr("\"hw:NAME\"")));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, InvalidPortSetting,
                         ::testing::Values("simulated", "sim:", "hw:", "hw", "SIM", "parport0",
                                           " sim"));

TEST(PortBackendFactory, SimulatedSettingGivesTheRegisterAtItsPath) {
  velmo::test::TempFolder temp;
  const auto backend =
      makePortBackend(parsePortSetting({"sim:" + (temp / "reg"), "", "", geteuid()}));
  backend->writeData(0x99);
  EXPECT_EQ(SimulatedRegister(temp / "reg", SimulatedRegister::Folder::kExisting).peek(), 0x99);
}

TEST(PortBackendFactory, HardwareThatIsNotThereIsAClearError) {
  if (access("/dev/parport0", F_OK) == 0) GTEST_SKIP() << "this machine has a parallel port";
  velmo::test::TempFolder temp;
  try {
    makePortBackend(parsePortSetting({"hw:parport0", "", temp.path(), geteuid()}));
    ADD_FAILURE() << "opened parport0";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), HasSubstr("There is no parallel port named parport0"));
  }
}

}  // namespace
}  // namespace velmo::port
