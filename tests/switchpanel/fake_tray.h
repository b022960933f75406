#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "switchpanel/panel_window.h"
#include "system/shell_notify_icon.h"

namespace velmo::test {

using switchpanel::PanelWindow;

// A window that logs what the panel asks of it.
class FakeWindow final : public PanelWindow {
 public:
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

 private:
  std::vector<std::string>& log_;
};

// A notification area that behaves like the shell's: one icon per window and
// identifier, adding a shown icon or removing a missing one fails.
class FakeShell final : public ShellNotifyIcon {
 public:
  explicit FakeShell(std::vector<std::string>& log) : log_(log) {}

  bool available = true;
  std::map<std::pair<NotifyIconWindow*, std::uint32_t>, NotifyIconData> icons;
  int adds = 0;  // successful adds

  bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) override {
    const auto id = std::make_pair(data.hWnd, data.uID);
    bool done = false;
    if (message == NIM_ADD && available && !icons.count(id)) {
      icons.emplace(id, data);
      ++adds;
      done = true;
    } else if (message == NIM_DELETE) {
      done = icons.erase(id) > 0;
    }
    log_.push_back((message == NIM_ADD ? "icon add " : "icon delete ") +
                   std::string(done ? "ok" : "failed"));
    return done;
  }

  // The mouse event report (a window message number) over every shown icon,
  // sent to its window with its callback message.
  void report(std::uint32_t report) {
    const auto shown = icons;  // a report may remove the icon
    for (const auto& [id, data] : shown) data.hWnd->notifyIconReport(data.uCallbackMessage, report);
  }

 private:
  std::vector<std::string>& log_;
};

}  // namespace velmo::test
