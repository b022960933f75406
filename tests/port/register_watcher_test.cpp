// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/register/register_watcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "port/data_register.h"
#include "port/register/away_marker.h"
#include "port/register/simulated_register.h"
#include "tests/port/port_test_support.h"

namespace velmo::port {
namespace {

using namespace velmo::test;
using Folder = RegisterLocation::Folder;

// Lets the watcher take its notifications until done() holds; false after a
// bound that only a broken watcher reaches.
bool updateUntil(RegisterWatcher& watcher, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (poll(&wait, 1, 100) > 0) watcher.update();
  }
  return true;
}

bool waitForByte(RegisterWatcher& watcher, std::uint8_t expected) {
  return updateUntil(watcher, [&] { return watcher.byte() == expected; });
}

bool waitForLoss(RegisterWatcher& watcher) {
  return updateUntil(watcher, [&] { return !watcher.following(); });
}

bool nothingPending(const RegisterWatcher& watcher) {
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  return poll(&wait, 1, 0) == 0;
}

class RegisterWatcherTest : public ::testing::Test {
 protected:
  TempFolder temp;
  std::string path = temp / "reg";
  SimulatedRegister writer{{path, Folder::kExisting}};
};

TEST_F(RegisterWatcherTest, StartsWithTheByteInTheRegisterAndCreatesNothing) {
  RegisterWatcher absent({path, Folder::kExisting});
  EXPECT_EQ(absent.byte(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  writer.writeData(0x42);
  EXPECT_EQ(RegisterWatcher({path, Folder::kExisting}).byte(), 0x42);
}

TEST_F(RegisterWatcherTest, SeesEveryWriteAndIsQuietBetweenThem) {
  RegisterWatcher watcher({path, Folder::kExisting});
  for (const std::uint8_t byte : {1, 2, 4, 128, 0}) {
    writer.writeData(byte);
    ASSERT_TRUE(waitForByte(watcher, byte)) << int{byte};
    watcher.update();
    EXPECT_TRUE(nothingPending(watcher));
  }
}

TEST_F(RegisterWatcherTest, ReportsOnlyChanges) {
  RegisterWatcher watcher({path, Folder::kExisting});
  writer.writeData(5);
  ASSERT_TRUE(waitForByte(watcher, 5));
  writer.writeData(5);
  EXPECT_EQ(watcher.update(), std::nullopt);
}

TEST_F(RegisterWatcherTest, TellsWhyAProgramsOutputIsAwayWhileItsMarkerIsThere) {
  RegisterWatcher watcher({path, Folder::kExisting});
  writeAwayMarker(path, "olad went away.");
  EXPECT_TRUE(updateUntil(watcher, [&] { return watcher.outputAway() == "olad went away."; }));
  removeAwayMarker(path);
  EXPECT_TRUE(updateUntil(watcher, [&] { return watcher.outputAway().empty(); }));
}

TEST_F(RegisterWatcherTest, FollowsATruncatedDeletedOrReplacedRegister) {
  RegisterWatcher watcher({path, Folder::kExisting});
  writer.writeData(0x81);
  ASSERT_TRUE(waitForByte(watcher, 0x81));

  std::filesystem::resize_file(path, 0);
  ASSERT_TRUE(waitForByte(watcher, 0));

  writer.writeData(0x18);
  ASSERT_TRUE(waitForByte(watcher, 0x18));
  std::filesystem::remove(path);
  ASSERT_TRUE(waitForByte(watcher, 0));
  writer.writeData(0x24);
  ASSERT_TRUE(waitForByte(watcher, 0x24)) << "the new file is watched";

  writeFile(temp / "other", "\x66");
  std::filesystem::rename(temp / "other", path);
  ASSERT_TRUE(waitForByte(watcher, 0x66));
  writer.writeData(0x99);
  ASSERT_TRUE(waitForByte(watcher, 0x99)) << "the file renamed into place is watched";
}

// Two levels of folders go and come back: the watcher climbs to the nearest
// folder that is left and follows each level down as it returns.
TEST(RegisterWatcher, FollowsTheRegisterWhenItsFolderIsDeletedOrMovedAwayAndComesBack) {
  TempFolder temp;
  const std::string top = temp / "show";
  const std::string folder = top + "/port";
  const std::string path = folder + "/reg";
  std::filesystem::create_directories(folder);
  SimulatedRegister writer({path, Folder::kExisting});
  RegisterWatcher watcher({path, Folder::kExisting});
  writer.writeData(0x11);
  ASSERT_TRUE(waitForByte(watcher, 0x11));

  std::filesystem::remove_all(top);
  ASSERT_TRUE(waitForLoss(watcher));
  EXPECT_EQ(watcher.byte(), 0);
  EXPECT_THAT(watcher.lossReason(), ::testing::HasSubstr(folder + " is gone"));
  std::filesystem::create_directory(top);
  std::filesystem::create_directory(folder);
  writer.writeData(0x22);
  ASSERT_TRUE(waitForByte(watcher, 0x22)) << watcher.lossReason();
  EXPECT_TRUE(watcher.following());
  writer.writeData(0x23);
  ASSERT_TRUE(waitForByte(watcher, 0x23)) << "the new register is watched";

  std::filesystem::rename(folder, temp / "away");
  ASSERT_TRUE(waitForLoss(watcher));
  EXPECT_EQ(watcher.byte(), 0);
  SimulatedRegister({temp / "away/reg", Folder::kExisting}).writeData(0x66);
  std::filesystem::rename(temp / "away", folder);
  ASSERT_TRUE(waitForByte(watcher, 0x66)) << watcher.lossReason();
  writer.writeData(0x99);
  ASSERT_TRUE(waitForByte(watcher, 0x99)) << "the folder moved back is watched";
}

TEST(RegisterWatcher, MakesTheDefaultFolderPrivateAndChecksItWhenItComesBack) {
  TempFolder temp;
  const std::string folder = temp / "velmo";
  RegisterWatcher watcher({folder + "/port-888", Folder::kPrivate});
  EXPECT_EQ(modeOf(folder), 0700);

  std::filesystem::remove_all(folder);
  ASSERT_TRUE(waitForLoss(watcher));
  EXPECT_FALSE(std::filesystem::exists(folder)) << "the watcher made the folder anew";
  SimulatedRegister writer({folder + "/port-888", Folder::kPrivate});
  writer.writeData(0x3C);
  EXPECT_TRUE(waitForByte(watcher, 0x3C));

  // Made anew open to others, the folder is refused until it is mended.
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::all);
  writeFile(folder + "/port-888", "\x5A");
  ASSERT_TRUE(updateUntil(watcher, [&] {
    return watcher.lossReason().find("may be written by other users") != std::string::npos;
  })) << watcher.lossReason();
  EXPECT_EQ(watcher.byte(), 0);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_TRUE(waitForByte(watcher, 0x5A)) << watcher.lossReason();
}

TEST(RegisterWatcher, AFolderThatCannotBeWatchedIsAnErrorNamingIt) {
  TempFolder temp;
  try {
    RegisterWatcher watcher({temp / "missing/reg", Folder::kExisting});
    ADD_FAILURE() << "watched a folder that does not exist";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr(temp / "missing"));
  }
}

}  // namespace
}  // namespace velmo::port
