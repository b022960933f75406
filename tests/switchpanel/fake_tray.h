#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell_notify_icon.h"
#include "switchpanel/panel_window.h"

namespace velmo::test {

// A window that logs what the panel asks of it.
class FakeWindow final : public PanelWindow {
 public:
  static constexpr std::uint32_t kWindowHandle = 0x00012345;
  static constexpr std::uint32_t kIconHandle = 0x0000BEEF;

  explicit FakeWindow(std::vector<std::string>& log) : log_(log) {}

  State state = State::Normal;
  bool visible = true;

  State windowState() const override { return state; }
  void setWindowState(State newState) override {
    log_.push_back(newState == State::Normal ? "window normal" : "window not normal");
    state = newState;
  }
  void hideWindow() override {
    log_.push_back("window hide");
    visible = false;
  }
  void showWindow() override {
    log_.push_back("window show");
    visible = true;
  }
  std::uint32_t hWnd() const override {
    log_.push_back("hWnd");
    return kWindowHandle;
  }
  std::uint32_t hIcon() const override {
    log_.push_back("hIcon");
    return kIconHandle;
  }

 private:
  std::vector<std::string>& log_;
};

// A notification area that behaves like the shell's: one icon per window and
// identifier, adding a shown icon or removing a missing one fails.
class FakeShell final : public ShellNotifyIcon {
 public:
  explicit FakeShell(std::vector<std::string>& log) : log_(log) {}

  bool available = true;
  std::set<std::pair<std::uint32_t, std::uint32_t>> icons;
  std::vector<std::vector<std::uint8_t>> addedRecords;  // the bytes of every add

  bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) override {
    const auto id = std::make_pair(data.hWnd, data.uID);
    bool done = false;
    if (message == NIM_ADD && available && !icons.count(id)) {
      icons.insert(id);
      const auto bytes = version1Bytes(data);
      addedRecords.emplace_back(bytes.begin(), bytes.end());
      done = true;
    } else if (message == NIM_DELETE) {
      done = icons.erase(id) > 0;
    }
    log_.push_back((message == NIM_ADD ? "icon add " : "icon delete ") +
                   std::string(done ? "ok" : "failed"));
    return done;
  }

 private:
  std::vector<std::string>& log_;
};

}  // namespace velmo::test
