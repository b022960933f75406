// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/simulated_register.h"

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "port/port_setting.h"
#include "tests/port/port_test_support.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace velmo::test;
using Folder = RegisterLocation::Folder;

// The default register with XDG_RUNTIME_DIR in a temporary folder.
class DefaultRegister : public ::testing::Test {
 protected:
  TempFolder temp;
  PortEnvironment environment{"", "", temp.path(), geteuid()};
  std::string folder = temp / "velmo";
  std::string path = defaultRegisterPath(environment);
  RegisterLocation location{path, Folder::kPrivate};
  SimulatedRegister reg{location};
};

TEST_F(DefaultRegister, FirstAccessMakesA0600FileHolding0InA0700Folder) {
  EXPECT_EQ(reg.readData(), 0);
  EXPECT_EQ(modeOf(folder), 0700);
  EXPECT_EQ(modeOf(path), 0600);
  EXPECT_EQ(readFile(path), std::string(1, '\0'));
  // The byte is made in a temporary file that is linked into place.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(DefaultRegister, IsSharedBetweenProcessesAndKeepsItsByteAfterThemEnd) {
  ASSERT_EQ(runInChild([&] {
              SimulatedRegister(location).writeData(0xA5);
              return 0;
            }),
            0);
  EXPECT_EQ(reg.readData(), 0xA5);
  reg.writeData(0x3C);
  EXPECT_EQ(runInChild([&] { return SimulatedRegister(location).readData(); }), 0x3C);
  EXPECT_EQ(SimulatedRegister(location).peek(), 0x3C);
}

TEST_F(DefaultRegister, TruncatedRegisterReadsZeroAndTakesTheNextWrite) {
  reg.writeData(0x81);
  std::filesystem::resize_file(path, 0);
  EXPECT_EQ(reg.readData(), 0);
  reg.writeData(0x42);
  EXPECT_EQ(reg.readData(), 0x42);
}

TEST_F(DefaultRegister, DeletedRegisterOrFolderIsMadeAnew) {
  reg.writeData(0x81);
  std::filesystem::remove(path);
  EXPECT_EQ(reg.peek(), 0);
  EXPECT_FALSE(std::filesystem::exists(path)) << "peek creates nothing";
  EXPECT_EQ(reg.readData(), 0);
  EXPECT_EQ(modeOf(path), 0600);

  std::filesystem::remove_all(folder);
  reg.writeData(0x18);
  EXPECT_EQ(modeOf(folder), 0700);
  EXPECT_EQ(reg.readData(), 0x18);
}

// Writes keep the file open: whatever changes in the folder meanwhile, the
// next write goes where the path leads and through every check again.
TEST_F(DefaultRegister, WriteAfterAChangeInTheFolderIsCheckedAnew) {
  reg.writeData(0x11);
  std::filesystem::rename(path, path + ".old");
  reg.writeData(0x22);
  EXPECT_EQ(readFile(path), "\x22");
  EXPECT_EQ(readFile(path + ".old"), "\x11");

  chmod(folder.c_str(), 0777);
  EXPECT_THROW(reg.writeData(0x33), PortAccessError);
  EXPECT_EQ(readFile(path), "\x22");
}

TEST_F(DefaultRegister, SymbolicLinkAtTheRegisterPathIsRefused) {
  reg.writeData(0);
  const std::string target = temp / "elsewhere";
  writeFile(target, "x");
  std::filesystem::remove(path);
  std::filesystem::create_symlink(target, path);

  for (const auto& access : {std::function<void()>([&] { reg.writeData(1); }),
                             std::function<void()>([&] { reg.readData(); })}) {
    try {
      access();
      ADD_FAILURE() << "a symbolic link was followed";
    } catch (const PortAccessError& error) {
      EXPECT_THAT(error.what(), AllOf(HasSubstr(path), HasSubstr("symbolic link")));
    }
  }
  EXPECT_EQ(readFile(target), "x");
}

TEST_F(DefaultRegister, SomethingElseThanAFileAtTheRegisterPathIsRefusedWithoutBlocking) {
  const std::vector<std::pair<const char*, std::function<int()>>> rows = {
      {"a named pipe", [&] { return mkfifo(path.c_str(), 0600); }},
      {"a folder", [&] { return mkdir(path.c_str(), 0700); }}};
  const std::string message = "The port register " + path +
                              " is not a regular file. Remove it or choose another register "
                              "with VELMO_PORT=sim:PATH.";
  for (const auto& [name, make] : rows) {
    reg.writeData(0);
    std::filesystem::remove(path);
    ASSERT_EQ(make(), 0) << name;
    for (const auto& access : {std::function<void()>([&] { reg.writeData(1); }),
                               std::function<void()>([&] { reg.readData(); })}) {
      try {
        access();
        ADD_FAILURE() << "used " << name;
      } catch (const PortAccessError& error) {
        EXPECT_EQ(error.what(), message) << name;
      }
    }
    std::filesystem::remove(path);
  }
}

// A default register folder that another user could tamper with.
struct UnsafeFolder {
  const char* name;
  std::function<void(const std::string& folder, const TempFolder& temp)> make;
  const char* reason;
};

class UnsafeRegisterFolder : public ::testing::TestWithParam<UnsafeFolder> {};

TEST_P(UnsafeRegisterFolder, IsRefusedAndNamed) {
  TempFolder temp;
  const std::string folder = temp / "velmo";
  GetParam().make(folder, temp);
  SimulatedRegister reg({folder + "/port-888", Folder::kPrivate});
  try {
    reg.writeData(1);
    ADD_FAILURE() << "wrote into " << GetParam().name;
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), AllOf(HasSubstr(folder), HasSubstr(GetParam().reason),
                                    HasSubstr("VELMO_PORT=sim:PATH")));
  }
  EXPECT_FALSE(std::filesystem::exists(temp / "real/port-888"));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnsafeRegisterFolder,
    ::testing::Values(UnsafeFolder{"a symbolic link",
                                   [](const std::string& folder, const TempFolder& temp) {
                                     std::filesystem::create_directory(temp / "real");
                                     std::filesystem::create_directory_symlink(temp / "real",
                                                                               folder);
                                   },
                                   "is a symbolic link"},
                      UnsafeFolder{"a file",
                                   [](const std::string& folder, const TempFolder&) {
                                     writeFile(folder, "");
                                   },
                                   "is not a folder"},
                      UnsafeFolder{"a folder anyone may write",
                                   [](const std::string& folder, const TempFolder&) {
                                     mkdir(folder.c_str(), 0700);
                                     chmod(folder.c_str(), 0777);
                                   },
                                   "may be written by other users (mode 0777)"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(RegisterFolder, OneOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
  TempFolder temp;
  const std::string folder = temp / "velmo";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(chown(folder.c_str(), 4242, 4242), 0);
  try {
    SimulatedRegister({folder + "/port-888", Folder::kPrivate}).writeData(1);
    ADD_FAILURE() << "used another user's folder";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), AllOf(HasSubstr(folder), HasSubstr("another user (uid 4242)")));
  }
}

TEST(RegisterAtAGivenPath, NeedsAnExistingFolderButNoPrivateOne) {
  TempFolder temp;
  chmod(temp.path().c_str(), 0755);
  SimulatedRegister reg({temp / "port", Folder::kExisting});
  reg.writeData(7);
  EXPECT_EQ(reg.readData(), 7);
  EXPECT_EQ(modeOf(temp / "port"), 0600);

  SimulatedRegister missing({temp / "no-folder/port", Folder::kExisting});
  try {
    missing.writeData(1);
    ADD_FAILURE() << "wrote into a folder that does not exist";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(),
                AllOf(HasSubstr(temp / "no-folder/port"), HasSubstr("No such file or directory")));
  }
}

// Gives up root's power to write anywhere, for the rest of this (child)
// process. False when that is not possible.
bool withoutRootPowers() {
  if (geteuid() != 0) return true;
  const uid_t nobody = 65534;
  return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
}

TEST(RegisterAtAGivenPath, APermissionProblemSaysWhatToFix) {
  TempFolder temp;
  chmod(temp.path().c_str(), 0755);
  const std::string locked = temp / "locked";  // a folder nobody may write in
  mkdir(locked.c_str(), 0555);
  const std::string closed = temp / "closed";  // a register nobody may open
  writeFile(closed, "\x05");
  chmod(closed.c_str(), 0);
  const std::string report = temp / "report";  // the child's messages, one a line
  writeFile(report, "");
  chmod(report.c_str(), 0666);

  const int result = runInChild([&] {
    if (!withoutRootPowers()) return 77;
    std::string messages;
    for (const std::string& path : {locked + "/port-888", closed}) {
      try {
        SimulatedRegister({path, Folder::kExisting}).writeData(1);
        messages += "wrote " + path + "\n";
      } catch (const PortAccessError& error) {
        messages += std::string(error.what()) + "\n";
      }
    }
    writeFile(report, messages);
    return 0;
  });
  if (result == 77) GTEST_SKIP() << "cannot give up root's powers here";
  ASSERT_EQ(result, 0);
  const std::string chooseAnother = ", or choose another register with VELMO_PORT=sim:PATH.";
  EXPECT_EQ(
      readLines(report),
      (std::vector<std::string>{"Cannot create the port register " + locked +
                                    "/port-888: Permission denied. "
                                    "Check that its folder " +
                                    locked + " exists and that you may write there" + chooseAnother,
                                "Cannot open the port register " + closed +
                                    ": Permission denied. Check that "
                                    "you may read and write it" +
                                    chooseAnother}));
  EXPECT_TRUE(std::filesystem::is_empty(locked));
  chmod(closed.c_str(), 0600);
  EXPECT_EQ(readFile(closed), "\x05");
}

}  // namespace
}  // namespace velmo::port
