// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "system/temp_folder.h"

namespace velmo {
namespace {

// A file-size limit between the old file's size and the new one's makes the
// write of the new file fail midway, as a full disk does.
TEST(SafeFile, WriteThatFailsMidwayLeavesTheOldFileWholeAndNothingElse) {
  const TempFolder folder;
  const std::string path = folder / "Velmo1.ini";
  const std::string old = "[timer1]\ntiden=100\n";
  std::ofstream(path) << old;

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(replaceFileSafely(path, std::string(1000, 'x'), old), FileReplaceError);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(readWholeFile(path), old);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Velmo1.ini", "Velmo1.ini.bak"}));
}

}  // namespace
}  // namespace velmo
