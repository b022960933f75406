// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/switch_panel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "system/run_time_error.h"
#include "tests/support/recording_port.h"

namespace velmo::switchpanel {
namespace {

using test::RecordingPort;
using Log = std::vector<std::string>;

// A settings file held in memory: (section, key) -> value.
using Settings = std::map<std::pair<std::string, std::string>, std::string>;

class SwitchPanelTest : public ::testing::Test {
 protected:
  void load(Settings settings = {}) {
    settings_ = std::move(settings);
    panel.Form_Load();
    log.clear();
  }

  // Clicks the button that carries caption, as a user finds it on screen.
  void clickCaption(const std::string& caption) {
    for (int button = 1; button <= kButtonCount; ++button) {
      if (panel.button(button).caption == caption) return panel.Command_Click(button);
    }
    FAIL() << "no button labelled " << caption;
  }

  Log log;
  RecordingPort port{log};
  Settings settings_;
  SwitchPanel panel{
      port, "/opt/velmo",
      [this](const std::string& section, const std::string& key, const std::string& path) {
        log.push_back("read " + section + " " + key + " " + path);
        auto found = settings_.find({section, key});
        return found == settings_.end() ? std::string() : found->second;
      }};
};

Settings designCaptions() {
  Settings settings;
  for (int button = 1; button <= kButtonCount; ++button) {
    settings[{captionSection(button), captionKey(button)}] = designCaption(button);
  }
  return settings;
}

TEST_F(SwitchPanelTest, StartUpDisablesTheBottomRowThenClearsThePortThenReadsInButtonOrder) {
  panel.addButtonObserver([this](int button, const SwitchPanel::Button& state) {
    log.push_back("Command" + std::to_string(button) + (state.enabled ? " enabled" : " disabled") +
                  " '" + state.caption + "'");
  });
  settings_ = {{{"Utgang1høy", "command1"}, "Vifte på"}};
  panel.Form_Load();

  Log expected;
  for (int button : {2, 4, 6, 8, 10, 12, 14, 16}) {
    expected.push_back("Command" + std::to_string(button) + " disabled '" + designCaption(button) +
                       "'");
  }
  expected.push_back("out 888 0");
  const std::vector<std::pair<std::string, std::string>> reads = {
      {"Utgang1høy", "command1"},  {"Utgang1lav", "command2"},  {"Utgang2høy", "command3"},
      {"Utgang2lav", "command4"},  {"Utgang3høy", "command5"},  {"Utgang3lav", "command6"},
      {"Utgang4høy", "command7"},  {"Utgang4lav", "command8"},  {"Utgang5høy", "command9"},
      {"Utgang5lav", "command10"}, {"Utgang6høy", "command11"}, {"Utgang6lav", "command12"},
      {"Utgang7høy", "command13"}, {"Utgang7lav", "command14"}, {"Utgang8høy", "command15"},
      {"Utgang8lav", "command16"}};
  for (int button = 1; button <= kButtonCount; ++button) {
    const auto& [section, key] = reads[button - 1];
    expected.push_back("read " + section + " " + key + " /opt/velmo/Velmo.ini");
    const std::string caption = button == 1 ? "Vifte på" : "";
    const bool enabled = button % 2 == 1;
    expected.push_back("Command" + std::to_string(button) +
                       (enabled ? " enabled '" : " disabled '") + caption + "'");
  }
  EXPECT_EQ(log, expected);
}

TEST_F(SwitchPanelTest, StartStateIsTopRowEnabledBottomRowDisabledPortZero) {
  port.reg = 0xA5;  // left lit by an earlier run
  load(designCaptions());
  EXPECT_EQ(port.reg, 0);
  for (int button = 1; button <= kButtonCount; ++button) {
    EXPECT_EQ(panel.button(button).enabled, button % 2 == 1) << "Command" << button;
    EXPECT_EQ(panel.button(button).caption, designCaption(button)) << "Command" << button;
  }
}

TEST_F(SwitchPanelTest, MissingEntriesGiveBlankCaptions) {
  load({{{"Utgang5høy", "command9"}, "Aktiver neonlys"}});
  for (int button = 1; button <= kButtonCount; ++button) {
    EXPECT_EQ(panel.button(button).caption, button == 9 ? "Aktiver neonlys" : "")
        << "Command" << button;
  }
}

TEST_F(SwitchPanelTest, ClickChangesThePairFirstThenReadsThenWrites) {
  load(designCaptions());
  panel.addButtonObserver([this](int button, const SwitchPanel::Button& state) {
    log.push_back("Command" + std::to_string(button) + (state.enabled ? " enabled" : " disabled"));
  });
  panel.Command_Click(9);
  panel.Command_Click(10);
  EXPECT_EQ(log, (Log{"Command9 disabled", "Command10 enabled", "in 888 0", "out 888 16",
                      "Command9 enabled", "Command10 disabled", "in 888 16", "out 888 0"}));
}

TEST_F(SwitchPanelTest, ClickSequenceSetsAndClearsOneLineAtATime) {
  load(designCaptions());
  const std::vector<std::pair<std::string, int>> steps = {
      {"Aktiver vifte 1", 1},    {"Aktiver neonlys", 17},    {"Deaktiver vifte 1", 16},
      {"Aktiver utgang 8", 144}, {"Deaktiver neonlys", 128}, {"Deaktiver utgang 8", 0}};
  for (const auto& [caption, expected] : steps) {
    clickCaption(caption);
    EXPECT_EQ(port.reg, expected) << "after " << caption;
  }
}

TEST_F(SwitchPanelTest, EachButtonSwitchesOnlyItsOwnLine) {
  load();
  for (int line = 1; line <= kLineCount; ++line) {
    const int bit = 1 << (line - 1);
    port.reg = 0;
    panel.Command_Click(2 * line - 1);
    EXPECT_EQ(port.reg, bit) << "line " << line << " on";
    EXPECT_FALSE(panel.button(2 * line - 1).enabled);
    EXPECT_TRUE(panel.button(2 * line).enabled);
    port.reg = 0xFF;
    panel.Command_Click(2 * line);
    EXPECT_EQ(port.reg, 0xFF & ~bit) << "line " << line << " off";
    EXPECT_TRUE(panel.button(2 * line - 1).enabled);
    EXPECT_FALSE(panel.button(2 * line).enabled);
  }
}

TEST_F(SwitchPanelTest, AllEightOnGive255AndAllOffGiveZeroInAnyOrder) {
  load();
  const std::vector<std::vector<int>> orders = {
      {1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}, {5, 1, 8, 3, 6, 2, 7, 4}};
  for (const auto& order : orders) {
    for (int line : order) panel.Command_Click(2 * line - 1);
    EXPECT_EQ(port.reg, 255);
    for (int line : order) panel.Command_Click(2 * line);
    EXPECT_EQ(port.reg, 0);
  }
}

// Another program changed the register behind the buttons' back: the click
// still touches only its own line and never fails.
TEST_F(SwitchPanelTest, RegisterOutOfStepWithTheButtons) {
  load();
  port.reg = 1;
  EXPECT_NO_THROW(panel.Command_Click(1));
  EXPECT_EQ(log.back(), "out 888 1");

  for (int line = 2; line <= kLineCount; ++line) {
    port.reg = 255;
    EXPECT_NO_THROW(panel.Command_Click(2 * line - 1)) << "line " << line;
    EXPECT_EQ(log.back(), "out 888 255") << "line " << line;
  }
  for (int line = 1; line <= kLineCount; ++line) {
    port.reg = 0;
    EXPECT_NO_THROW(panel.Command_Click(2 * line)) << "line " << line;
    EXPECT_EQ(log.back(), "out 888 0") << "line " << line;
  }
  panel.Command_Click(1);
  port.reg = 2;  // line 1 off, line 2 on, while line 1's deactivate button is enabled
  panel.Command_Click(2);
  EXPECT_EQ(log.back(), "out 888 2");
}

TEST_F(SwitchPanelTest, ClickOnADisabledButtonDoesNothing) {
  load(designCaptions());
  panel.Command_Click(2);  // disabled at start
  panel.Command_Click(3);
  panel.Command_Click(3);  // disabled by the click before
  EXPECT_EQ(log, (Log{"in 888 0", "out 888 2"}));
  EXPECT_FALSE(panel.button(2).enabled);
  EXPECT_FALSE(panel.button(3).enabled);
  EXPECT_TRUE(panel.button(4).enabled);
}

TEST_F(SwitchPanelTest, CaptionsOnlyLabelTheButtons) {
  load({{{"Utgang1høy", "command1"}, "Aktiver neonlys"}});
  panel.Command_Click(1);
  EXPECT_EQ(port.reg, 1);
  EXPECT_EQ(panel.button(1).caption, "Aktiver neonlys");
}

TEST_F(SwitchPanelTest, PortFailureAtStartUpPropagatesAfterTheBottomRowIsDisabled) {
  class BrokenPort final : public Port {
   protected:
    void writeByte(int, std::uint8_t) override { throw RunTimeError("port library missing"); }
    std::uint8_t readByte(int) override { throw RunTimeError("port library missing"); }
  } broken;
  int reads = 0;
  SwitchPanel failing(broken, "/opt/velmo", [&](auto&&...) {
    ++reads;
    return std::string("x");
  });
  EXPECT_THROW(failing.Form_Load(), RunTimeError);
  EXPECT_EQ(reads, 0);
  EXPECT_FALSE(failing.button(16).enabled);
  EXPECT_EQ(failing.button(1).caption, "Aktiver vifte 1");
}

}  // namespace
}  // namespace velmo::switchpanel
