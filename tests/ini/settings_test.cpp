// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "system/paths.h"
#include "system/temp_folder.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

TEST(IniPath, JoinsFolderAndFileNameWithOneSlashAsGiven) {
  struct Case {
    std::string folder, fileName, expected;
  };
  const Case cases[] = {
      {"/opt/velmo", "Velmo.ini", "/opt/velmo/Velmo.ini"},
      {"/", "Velmo.ini", "//Velmo.ini"},
      {"/opt/velmo/", "Velmo1.ini", "/opt/velmo//Velmo1.ini"},
      {"/opt/my velmo/./x", "Velmo1.ini", "/opt/my velmo/./x/Velmo1.ini"},
      {"/home/bjørn", "Velmo.ini", "/home/bjørn/Velmo.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(IniPath(c.folder, c.fileName), c.expected);
}

TEST(ProgramFolder, IsTheFolderHoldingThisTestProgram) {
  const std::string folder = programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(fs::equivalent(fs::path(folder) / "settings_test", "/proc/self/exe"));
}

// A settings file in a fresh temporary folder.
class ReadIniStringTest : public ::testing::Test {
 protected:
  void write(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  std::string fileBytes() {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
  }

  TempFolder folder;
  std::string path = IniPath(folder.path(), "Velmo.ini");
};

TEST_F(ReadIniStringTest, FindsTheCaptionsOfAWindowsFile) {
  write("[Utgang1h\xF8y]\r\ncommand1=Aktiver vifte 1\r\n[Utgang1lav]\r\ncommand2=\r\n");
  EXPECT_EQ(ReadIniString("Utgang1høy", "command1", path), "Aktiver vifte 1");
  EXPECT_EQ(ReadIniString("Utgang1lav", "command2", path), "");
  EXPECT_EQ(ReadIniString("Utgang1lav", "command1", path), "");
}

TEST_F(ReadIniStringTest, MissingFileGivesEmptyText) {
  EXPECT_EQ(ReadIniString("timer1", "tiden", path), "");
}

TEST_F(ReadIniStringTest, ValuesAreCutTo254Characters) {
  const std::string value254(254, '7');
  write("[timer1]\ntiden=" + value254 + "\ntiden1=" + value254 +
        "8\ntiden2=" + std::string(300, '\xF8') + "\n");
  EXPECT_EQ(ReadIniString("timer1", "tiden", path), value254);
  EXPECT_EQ(ReadIniString("timer1", "tiden1", path), value254);
  std::string oes;
  for (int i = 0; i < 254; ++i) oes += "ø";
  EXPECT_EQ(ReadIniString("timer1", "tiden2", path), oes);
}

TEST_F(ReadIniStringTest, ReadsTheFileAfreshAndLeavesItAlone) {
  const std::string before = "[timer1]\ntiden=100\n";
  write(before);
  EXPECT_EQ(ReadIniString("timer1", "tiden", path), "100");
  EXPECT_EQ(ReadIniString("timer1", "tiden", path), "100");
  EXPECT_EQ(fileBytes(), before);
  write("[timer1]\ntiden=250\n");
  EXPECT_EQ(ReadIniString("timer1", "tiden", path), "250");
}

}  // namespace
}  // namespace velmo
