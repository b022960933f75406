// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "switchpanel/notification_area.h"
#include "switchpanel/panel_window.h"

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

// A notification area with room for one icon; the test plays its user.
class FakeNotificationArea final : public switchpanel::NotificationArea {
 public:
  explicit FakeNotificationArea(std::vector<std::string>& log) : log_(log) {}

  bool available = true;
  std::optional<switchpanel::TrayIcon> shown;
  int shows = 0;  // successful ones

  bool showIcon(const switchpanel::TrayIcon& icon, std::function<void()> restore) override {
    log_.push_back(available ? "icon show" : "icon show failed");
    if (!available) return false;
    shown = icon;
    restore_ = std::move(restore);
    ++shows;
    return true;
  }
  void removeIcon() override {
    log_.push_back("icon remove");
    shown.reset();
  }

  // The user asks for the window back through the shown icon.
  void requestRestore() {
    if (shown) restore_();
  }

 private:
  std::vector<std::string>& log_;
  std::function<void()> restore_;
};

}  // namespace velmo::test
