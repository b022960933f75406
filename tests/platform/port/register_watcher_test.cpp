#include "platform/port/register_watcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "platform/port/port_backend.h"
#include "platform/port/simulated_register.h"
#include "tests/platform/port/port_test_support.h"

namespace velmo::port {
namespace {

using namespace velmo::testing;

// Waits (up to a bound that only a broken watcher reaches) until the watcher
// has seen expected.
bool waitForByte(RegisterWatcher& watcher, std::uint8_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  while (watcher.byte() != expected) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (poll(&wait, 1, 100) > 0) watcher.update();
  }
  return true;
}

bool nothingPending(const RegisterWatcher& watcher) {
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  return poll(&wait, 1, 0) == 0;
}

class RegisterWatcherTest : public ::testing::Test {
 protected:
  TempFolder temp;
  std::string path = temp / "reg";
  SimulatedRegister writer{path, SimulatedRegister::Folder::kExisting};
};

TEST_F(RegisterWatcherTest, StartsWithTheByteInTheRegisterAndCreatesNothing) {
  RegisterWatcher absent(path, false);
  EXPECT_EQ(absent.byte(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  writer.writeData(0x42);
  EXPECT_EQ(RegisterWatcher(path, false).byte(), 0x42);
}

TEST_F(RegisterWatcherTest, SeesEveryWriteAndIsQuietBetweenThem) {
  RegisterWatcher watcher(path, false);
  for (const std::uint8_t byte : {1, 2, 4, 128, 0}) {
    writer.writeData(byte);
    ASSERT_TRUE(waitForByte(watcher, byte)) << int{byte};
    watcher.update();
    EXPECT_TRUE(nothingPending(watcher));
  }
}

TEST_F(RegisterWatcherTest, ReportsOnlyChanges) {
  RegisterWatcher watcher(path, false);
  writer.writeData(5);
  ASSERT_TRUE(waitForByte(watcher, 5));
  writer.writeData(5);
  EXPECT_EQ(watcher.update(), std::nullopt);
}

TEST_F(RegisterWatcherTest, FollowsATruncatedDeletedOrReplacedRegister) {
  RegisterWatcher watcher(path, false);
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

TEST(RegisterWatcher, MakesTheDefaultFolderPrivateAndFollowsItWhenItIsMadeAnew) {
  TempFolder temp;
  const std::string folder = temp / "velmo";
  RegisterWatcher watcher(folder + "/port-888", true);
  EXPECT_EQ(modeOf(folder), 0700);

  std::filesystem::remove_all(folder);
  SimulatedRegister writer(folder + "/port-888", SimulatedRegister::Folder::kPrivate);
  writer.writeData(0x3C);
  EXPECT_TRUE(waitForByte(watcher, 0x3C));
}

TEST(RegisterWatcher, AFolderThatCannotBeWatchedIsAnErrorNamingIt) {
  TempFolder temp;
  try {
    RegisterWatcher watcher(temp / "missing/reg", false);
    ADD_FAILURE() << "watched a folder that does not exist";
  } catch (const port::PortAccessError& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr(temp / "missing"));
  }
}

}  // namespace
}  // namespace velmo::port
