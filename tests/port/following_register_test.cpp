// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/following_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "system/temp_folder.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Ge;
using ::testing::HasSubstr;
using ::testing::SizeIs;

// Lines whose every write attempt is logged; attempts after the first
// `working` ones fail, as when olad has gone away.
class LoggedLines final : public OutputLines {
 public:
  explicit LoggedLines(std::size_t working = 100) : working_(working) {}

  void write(std::uint8_t value) override {
    const std::lock_guard lock(mutex_);
    attempts_.push_back(value);
    changed_.notify_all();
    if (attempts_.size() > working_) throw PortAccessError("olad went away");
  }
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // The attempts so far, once there are count of them (or after a bound
  // that only a port that does not follow reaches).
  std::vector<std::uint8_t> attempts(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return attempts_.size() >= count; });
    return attempts_;
  }

 private:
  std::size_t working_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::uint8_t> attempts_;
};

class FollowingRegisterTest : public ::testing::Test {
 protected:
  // A port of its own process on the shared register; lines stay owned here.
  std::unique_ptr<FollowingRegister> port(LoggedLines*& lines, std::size_t working = 100) {
    auto owned = std::make_unique<LoggedLines>(working);
    lines = owned.get();
    return std::make_unique<FollowingRegister>(
        std::move(owned), RegisterLocation{temp / "reg", RegisterLocation::Folder::kExisting},
        refresh);
  }

  velmo::TempFolder temp;
  // Longer than any test: refreshing never interferes.
  std::chrono::milliseconds refresh{std::chrono::hours(1)};
};

TEST_F(FollowingRegisterTest, TheLinesOfEveryPortThatWroteFollowTheLastWriteOfAnyOther) {
  LoggedLines* panelLines = nullptr;
  LoggedLines* chaserLines = nullptr;
  const auto panel = port(panelLines);
  const auto chaser = port(chaserLines);
  panel->writeData(0x01);
  chaser->writeData(0x00);
  EXPECT_THAT(panelLines->attempts(2), ElementsAre(0x01, 0x00));
  chaser->writeData(0x80);
  EXPECT_THAT(panelLines->attempts(3), ElementsAre(0x01, 0x00, 0x80));
  EXPECT_THAT(chaserLines->attempts(2), ElementsAre(0x00, 0x80)) << "no resend of its own bytes";
  EXPECT_EQ(panel->readData(), 0x80);
}

TEST_F(FollowingRegisterTest, LinesAreDrivenAgainWithTheRegistersByteEveryRefresh) {
  refresh = std::chrono::milliseconds(1);
  LoggedLines* lines = nullptr;
  const auto refreshed = port(lines);
  refreshed->writeData(0x42);
  EXPECT_THAT(lines->attempts(3), AllOf(SizeIs(Ge(3u)), Each(0x42)));
}

TEST_F(FollowingRegisterTest, LinesThatFailWhileFollowingFailTheNextAccess) {
  LoggedLines* panelLines = nullptr;
  LoggedLines* chaserLines = nullptr;
  const auto panel = port(panelLines, 1);
  const auto chaser = port(chaserLines);
  panel->writeData(0x01);
  chaser->writeData(0x00);
  // The port's thread holds the port while it sends, so the next access
  // waits for the failure and reports it.
  panelLines->attempts(2);
  try {
    panel->readData();
    ADD_FAILURE() << "the failed follow was not reported";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), HasSubstr("olad went away"));
  }
  EXPECT_THROW(panel->writeData(0x02), PortAccessError);
}

}  // namespace
}  // namespace velmo::port
