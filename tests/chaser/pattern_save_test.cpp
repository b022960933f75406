// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/pattern_save.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "system/safe_file.h"
#include "system/temp_folder.h"
#include "tests/chaser/chaser_fixture.h"

namespace velmo::chaser {
namespace {

std::string contentOf(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

const std::vector<UserPattern> kSaved = {
    {4, "Løp på rad", {1, 2, 4, 8}, {100, 100, 100, 200}},
    {7, " Blink ", {255, 0}, {250, 250}},
};

// Each input under tests/data/chaser/save with its patterns replaced by
// kSaved: the golden <input>.saved differs from it only in pattern sections.
TEST(PatternSave, OnlyThePatternSectionsChangeWhateverTheEncoding) {
  for (const std::string name : {"cp1252-crlf.ini", "utf8-lf.ini", "utf16le-crlf.ini"}) {
    const std::string golden = test::testDataFolder("save/" + name);
    const TempFolder folder;
    const std::string path = folder / "Velmo1.ini";
    const std::string input = contentOf(golden);
    std::ofstream(path, std::ios::binary) << input;

    PatternDocument document = PatternDocument::open({path, folder / "user.ini"});
    document.save(kSaved);
    EXPECT_EQ(contentOf(path), contentOf(golden + ".saved")) << name;
    EXPECT_EQ(contentOf(path + ".bak"), input) << name;
    EXPECT_EQ(loadUserPatterns(path).patterns, kSaved) << name;
  }
}

TEST(PatternSave, FileChangedSinceReadIsLeftAsItIs) {
  const TempFolder folder;
  const std::string path = folder / "Velmo1.ini";
  std::ofstream(path) << "[timer1]\ntiden=100\n";
  PatternDocument document = PatternDocument::open({path, ""});
  std::ofstream(path, std::ios::app) << "; changed meanwhile\n";
  EXPECT_THROW(document.save(kSaved), FileChangedError);
  EXPECT_EQ(contentOf(path), "[timer1]\ntiden=100\n; changed meanwhile\n");
}

}  // namespace
}  // namespace velmo::chaser
