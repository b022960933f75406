// The notification-area icon of the panel with a fake window and shell.
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
    panel.attachWindow(window, shell);
    panel.Form_Load();
    log.clear();
  }

  void minimise() {
    window.state = State::Minimized;
    panel.Form_Resize();
  }

  // A report of the icon: the window message of a mouse event over it.
  void report(std::uint32_t message) { shell.report(message); }

  Log log;
  test::RecordingPort port{log};
  test::FakeWindow window{log};
  test::FakeShell shell{log};
  SwitchPanel panel{port, "/opt/velmo",
                    [this](const std::string&, const std::string& key, const std::string&) {
                      log.push_back("read " + key);
                      return std::string();
                    }};
};

TEST_F(PanelTrayTest, StartUpFillsTheRecordAndShowsNoIcon) {
  log.clear();
  panel.Form_Load();
  EXPECT_TRUE(shell.icons.empty());

  const NotifyIconData& data = *panel.TrayIconData();
  EXPECT_NE(data.hWnd, nullptr);
  EXPECT_EQ(data.uID, 1u);
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 512u);
  EXPECT_EQ(data.szTip, "Velmo 1.0 by the Velmo team");
  EXPECT_EQ(data.menuEntry, "Gjenopprett");
}

TEST_F(PanelTrayTest, MinimisingAddsOneIconAndHidesTheWindow) {
  minimise();
  panel.Form_Resize();  // delivered again while minimised
  EXPECT_EQ(log, (Log{"icon add ok", "window hide"}));
  EXPECT_EQ(shell.icons.size(), 1u);
  EXPECT_FALSE(window.visible);
}

TEST_F(PanelTrayTest, NormalStateChangesNothing) {
  panel.Form_Resize();
  window.state = State::Maximized;
  panel.Form_Resize();
  EXPECT_TRUE(log.empty());
}

TEST_F(PanelTrayTest, LeftDoubleClickOnTheIconRestoresTheWindowAndRemovesTheIcon) {
  minimise();
  log.clear();
  report(515);
  EXPECT_EQ(log, (Log{"window normal", "icon delete ok", "window show"}));
  EXPECT_EQ(window.state, State::Normal);
  EXPECT_TRUE(window.visible);
  EXPECT_TRUE(shell.icons.empty());
}

TEST_F(PanelTrayTest, OtherIconReportsDoNothing) {
  minimise();
  log.clear();
  for (std::uint32_t message : {512, 513, 514, 516, 517, 518, 519, 520, 521}) report(message);
  panel.TrayIconData()->hWnd->notifyIconReport(WM_LBUTTONDOWN, 515);  // not the callback message
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(shell.icons.size(), 1u);
}

TEST(RoundHalfToEven, RoundsToNearestAndHalvesToEven) {
  const std::vector<std::pair<float, double>> cases = {
      {514.5f, 514}, {515.5f, 516}, {515.4f, 515}, {514.6f, 515}, {515.f, 515},
      {516.5f, 516}, {0.5f, 0},     {1.5f, 2},     {-0.5f, 0},    {-1.5f, -2}};
  for (const auto& [x, expected] : cases) EXPECT_EQ(roundHalfToEven(x), expected) << x;
}

TEST_F(PanelTrayTest, MouseMoveRestoresOnlyWhenXRoundsTo515) {
  PanelTray tray(window, shell);
  tray.fillTrayIconData();
  const std::vector<std::pair<float, bool>> cases = {
      {514.5f, false}, {515.4f, true}, {515.5f, false}, {514.51f, true}, {515.49f, true}};
  for (const auto& [x, restores] : cases) {
    window.state = State::Minimized;
    tray.Form_Resize();
    tray.Form_MouseMove(0, 0, x, 0);
    EXPECT_EQ(window.visible, restores) << "x = " << x;
    tray.RestoreFromTray();
  }
}

TEST_F(PanelTrayTest, EveryMinimiseAddsOneIcon) {
  for (int round = 0; round < 3; ++round) {
    minimise();
    EXPECT_EQ(shell.icons.size(), 1u);
    EXPECT_FALSE(window.visible);
    report(515);
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_TRUE(window.visible);
  }
  EXPECT_EQ(shell.adds, 3);
}

TEST_F(PanelTrayTest, ClosingRemovesTheIcon) {
  minimise();
  panel.Form_Unload();
  EXPECT_TRUE(shell.icons.empty());
}

TEST_F(PanelTrayTest, ClosingWithoutMinimisingLeavesNoIconAndNoError) {
  EXPECT_NO_THROW(panel.Form_Unload());
  EXPECT_EQ(log, (Log{"icon delete failed"}));
  EXPECT_TRUE(shell.icons.empty());
}

TEST_F(PanelTrayTest, WithoutANotificationAreaMinimisingLeavesTheWindowOnTheTaskbar) {
  shell.available = false;
  minimise();
  EXPECT_EQ(log, (Log{"icon add failed"}));
  EXPECT_TRUE(window.visible);
  EXPECT_EQ(window.state, State::Minimized);

  window.state = State::Normal;  // the user brings it back from the taskbar
  panel.Form_Resize();
  shell.available = true;  // a notification area has appeared since
  minimise();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(shell.icons.size(), 1u);
}

TEST_F(PanelTrayTest, LinesAndButtonPairsAreUntouchedByTheTray) {
  panel.Command_Click(1);
  panel.Command_Click(9);
  panel.Command_Click(15);
  log.clear();

  minimise();
  report(513);
  report(514);
  report(515);
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
  EXPECT_EQ(panel.TrayIconData(), nullptr);
  EXPECT_NO_THROW({
    panel.Form_Resize();
    panel.Form_Unload();
  });
}

}  // namespace
}  // namespace velmo::switchpanel
