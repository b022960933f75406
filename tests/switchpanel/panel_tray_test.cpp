// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon of the panel with a fake window and area.
#include "switchpanel/panel_tray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "switchpanel/switch_panel.h"
#include "tests/support/recording_port.h"
#include "tests/switchpanel/fake_tray.h"

namespace velmo::switchpanel {
namespace {

using Log = std::vector<std::string>;
using State = PanelWindow::State;

class PanelTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel.attachWindow(window, area);
    panel.Form_Load();
    log.clear();
  }

  void minimise() {
    window.state = State::Minimized;
    panel.Form_Resize();
  }

  Log log;
  test::RecordingPort port{log};
  test::FakeWindow window{log};
  test::FakeNotificationArea area{log};
  SwitchPanel panel{port, "/opt/velmo",
                    [this](const std::string&, const std::string& key, const std::string&) {
                      log.push_back("read " + key);
                      return std::string();
                    }};
};

TEST_F(PanelTrayTest, StartUpShowsNoIconAndMinimisingShowsOneWithTipAndMenuEntry) {
  EXPECT_FALSE(area.shown);
  minimise();
  panel.Form_Resize();  // delivered again while minimised
  EXPECT_EQ(log, (Log{"icon show", "window hide"}));
  ASSERT_TRUE(area.shown);
  EXPECT_EQ(area.shown->tip, "Velmo 1.0 by the Velmo team");
  EXPECT_EQ(area.shown->restoreEntry, "Gjenopprett");
  EXPECT_FALSE(window.visible);
}

TEST_F(PanelTrayTest, NormalStateChangesNothing) {
  panel.Form_Resize();
  window.state = State::Maximized;
  panel.Form_Resize();
  EXPECT_TRUE(log.empty());
}

// The icon's restore request, and the panel's own entry for it.
TEST_F(PanelTrayTest, EachRestoreBringsTheWindowBackNormalAndRemovesTheIcon) {
  const std::vector<std::function<void()>> restores = {[this] { area.requestRestore(); },
                                                       [this] { panel.RestoreFromTray(); }};
  for (const auto& restore : restores) {
    minimise();
    log.clear();
    restore();
    EXPECT_EQ(log, (Log{"window normal", "icon remove", "window show"}));
    EXPECT_EQ(window.state, State::Normal);
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(area.shown);
  }
  EXPECT_EQ(area.shows, 2);
}

TEST_F(PanelTrayTest, ClosingRemovesTheIcon) {
  EXPECT_NO_THROW(panel.Form_Unload());  // none shown yet
  minimise();
  panel.Form_Unload();
  EXPECT_FALSE(area.shown);
}

TEST_F(PanelTrayTest, WithoutANotificationAreaMinimisingLeavesTheWindowOnTheTaskbar) {
  area.available = false;
  minimise();
  EXPECT_EQ(log, (Log{"icon show failed"}));
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.state, State::Minimized);

  window.state = State::Normal;  // the user brings it back from the taskbar
  panel.Form_Resize();
  area.available = true;  // a notification area has appeared since
  minimise();
  EXPECT_FALSE(window.visible);
  EXPECT_TRUE(area.shown);
}

TEST_F(PanelTrayTest, LinesAndButtonPairsAreUntouchedByTheTray) {
  panel.Command_Click(1);
  panel.Command_Click(9);
  panel.Command_Click(15);
  log.clear();

  minimise();
  area.requestRestore();
  panel.Form_Unload();
  for (const std::string& entry : log) {
    EXPECT_EQ(entry.find("888"), std::string::npos) << entry;
  }
  EXPECT_EQ(port.reg, 1 + 16 + 128);
  for (int button = 1; button <= kButtonCount; ++button) {
    const bool lineOn = button <= 2 || (button >= 9 && button <= 10) || button >= 15;
    EXPECT_EQ(panel.button(button).enabled, lineOn != (button % 2 == 1)) << "Command" << button;
  }
}

TEST(PanelWithoutWindow, WindowEventsAreIgnored) {
  std::vector<std::string> log;
  test::RecordingPort port(log);
  SwitchPanel panel(port, "/opt/velmo", [](auto&&...) { return std::string(); });
  panel.Form_Load();
  EXPECT_NO_THROW({
    panel.Form_Resize();
    panel.RestoreFromTray();
    panel.Form_Unload();
  });
}

}  // namespace
}  // namespace velmo::switchpanel
