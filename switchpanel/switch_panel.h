// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ini/settings.h"
#include "port_client/port.h"
#include "switchpanel/button_roles.h"
#include "switchpanel/panel_tray.h"

namespace velmo::switchpanel {

// The switch panel without a screen: the enabled states and captions of the
// sixteen buttons, the start-up that labels them, and the click rule that
// switches one port line per click.
class SwitchPanel {
 public:
  static constexpr const char* kSettingsFile = "Velmo.ini";

  struct Button {
    std::string caption;  // UTF-8
    bool enabled = true;
  };

  // Called after every assignment of a button's caption or enabled state,
  // with the button's number (1..16) and its new state.
  using ButtonChanged = std::function<void(int button, const Button& state)>;

  // Buttons start as designed: enabled, with their design captions. The
  // settings file is Velmo.ini in programFolder.
  SwitchPanel(Port& port, std::string programFolder, IniReader readIni = ReadIniString);

  // Adds an observer of every button change; observers must outlive the
  // panel's handlers.
  void addButtonObserver(ButtonChanged observer) {
    buttonObservers_.push_back(std::move(observer));
  }

  // Command<button>, button 1..16.
  const Button& button(int button) const;

  // The lines shown as on: bit N-1 is set when line N's deactivate button is
  // enabled.
  std::uint8_t linesShownOn() const;

  // Connects the panel to its window and the notification area, before
  // Form_Load. Without them the window events below do nothing.
  void attachWindow(PanelWindow& window, NotificationArea& area) { tray_.emplace(window, area); }

  // Disables the eight deactivate buttons (Command2, 4 ... 16), writes 0 to
  // the port, then sets Command1 ... Command16's captions from Velmo.ini in
  // that order, whatever the reads return ("" for a missing entry), and
  // fills what the tray icon shows. Port errors propagate as RunTimeError;
  // the buttons disabled so far stay so.
  void Form_Load();

  // Command1_Click ... Command16_Click: one rule for all sixteen. Marks the
  // line as on (activate button) or off (deactivate button) on the pair,
  // activate button first, then reads the register and writes it back with
  // the line's bit set or cleared; the other seven lines are written as read.
  // A click on a disabled button does nothing: the window never delivers one,
  // and ignoring it keeps the pair consistent if anything else does.
  void Command_Click(int button);

  // Window events and the notification-area icon: see PanelTray.
  // RestoreFromTray is what the icon's restore request does, for anything
  // else that brings the window back.
  void Form_Resize() {
    if (tray_) tray_->Form_Resize();
  }
  void RestoreFromTray() {
    if (tray_) tray_->RestoreFromTray();
  }
  void Form_Unload() {
    if (tray_) tray_->Form_Unload();
  }

 private:
  void setEnabled(int button, bool enabled);
  void setCaption(int button, std::string caption);
  void notify(int button);

  Port& port_;
  std::string programFolder_;
  IniReader readIni_;
  std::array<Button, kButtonCount> buttons_;
  std::vector<ButtonChanged> buttonObservers_;
  std::optional<PanelTray> tray_;
};

}  // namespace velmo::switchpanel
