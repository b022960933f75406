// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/following_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "port/register/away_marker.h"
#include "system/temp_folder.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::Each;
using ::testing::Ge;
using ::testing::Optional;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr auto kBound = std::chrono::seconds(5);

// Lines whose every write is logged; while away, they cannot be reached.
class LoggedLines final : public OutputLines {
 public:
  void write(std::uint8_t value) override {
    check();
    const std::lock_guard lock(mutex_);
    writes_.push_back(value);
    changed_.notify_all();
  }
  std::optional<std::uint8_t> read() override { return std::nullopt; }
  void check() override {
    if (away_) throw OutputAwayError("olad went away.");
  }

  void setAway(bool away) { away_ = away; }

  // The writes so far, once there are count of them or the last is last
  // (or after a bound that only a port that does not follow reaches).
  std::vector<std::uint8_t> writes(std::size_t count, std::optional<std::uint8_t> last = {}) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kBound, [&] {
      return last ? !writes_.empty() && writes_.back() == *last : writes_.size() >= count;
    });
    return writes_;
  }

 private:
  std::atomic<bool> away_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::uint8_t> writes_;
};

class FollowingRegisterTest : public ::testing::Test {
 protected:
  // A port of its own process on the shared register; lines stay owned here.
  std::unique_ptr<FollowingRegister> port(LoggedLines*& lines) {
    auto owned = std::make_unique<LoggedLines>();
    lines = owned.get();
    return std::make_unique<FollowingRegister>(
        std::move(owned), RegisterLocation{reg, RegisterLocation::Folder::kExisting},
        Following{refresh, true}, notices);
  }

  // The next notice, waiting for it up to a bound.
  std::optional<std::string> nextNotice() {
    pollfd wait{notices.descriptor(), POLLIN, 0};
    poll(&wait, 1, std::chrono::milliseconds(kBound).count());
    return notices.take();
  }

  velmo::TempFolder temp;
  std::string reg = temp / "reg";
  PortNotices notices;
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
  EXPECT_EQ(panelLines->writes(0, 0x00).back(), 0x00);
  chaser->writeData(0x80);
  EXPECT_EQ(panelLines->writes(0, 0x80).back(), 0x80);
  EXPECT_THAT(chaserLines->writes(0, 0x80), Each(testing::AnyOf(0x00, 0x80)))
      << "no resend of another's older byte";
  EXPECT_EQ(panel->readData(), 0x80);
}

TEST_F(FollowingRegisterTest, LinesAreDrivenAgainWithTheRegistersByteEveryRefresh) {
  refresh = std::chrono::milliseconds(1);
  LoggedLines* lines = nullptr;
  const auto refreshed = port(lines);
  refreshed->writeData(0x42);
  EXPECT_THAT(lines->writes(3), AllOf(SizeIs(Ge(3u)), Each(0x42)));
}

TEST_F(FollowingRegisterTest, LinesAwayLeaveTheRegisterGoingAndTakeItsByteOfNowWhenBack) {
  LoggedLines* lines = nullptr;
  const auto chaser = port(lines);
  chaser->writeData(0x01);
  lines->writes(1);
  lines->setAway(true);
  chaser->writeData(0x02);
  chaser->writeData(0x04);
  EXPECT_EQ(chaser->readData(), 0x04);
  EXPECT_THAT(nextNotice(), Optional(StartsWith("Output lost\nolad went away. The show goes on")));
  EXPECT_EQ(awayReason(reg), "olad went away.");
  lines->setAway(false);
  EXPECT_EQ(lines->writes(0, 0x04).back(), 0x04);
  EXPECT_THAT(nextNotice(), Optional(StartsWith("Output back\nafter ")));
  EXPECT_EQ(awayReason(reg), "");
}

}  // namespace
}  // namespace velmo::port
