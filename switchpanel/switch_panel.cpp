// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/switch_panel.h"

#include <cassert>

namespace velmo::switchpanel {

SwitchPanel::SwitchPanel(Port& port, std::string programFolder, IniReader readIni)
    : port_(port), programFolder_(std::move(programFolder)), readIni_(std::move(readIni)) {
  for (int button = 1; button <= kButtonCount; ++button) {
    buttons_[button - 1].caption = designCaption(button);
  }
}

const SwitchPanel::Button& SwitchPanel::button(int button) const {
  assert(button >= 1 && button <= kButtonCount);
  return buttons_[button - 1];
}

std::uint8_t SwitchPanel::linesShownOn() const {
  int lines = 0;
  for (int line = 1; line <= kLineCount; ++line) {
    if (button(deactivateButtonOf(line)).enabled) lines |= bitValueOf(line);
  }
  return static_cast<std::uint8_t>(lines);
}

void SwitchPanel::Form_Load() {
  for (int line = 1; line <= kLineCount; ++line) setEnabled(deactivateButtonOf(line), false);
  port_.PortOut(kDataPort, 0);
  for (int button = 1; button <= kButtonCount; ++button) {
    const std::string iniPath = IniPath(programFolder_, kSettingsFile);
    setCaption(button, readIni_(captionSection(button), captionKey(button), iniPath));
  }
  if (tray_) tray_->fillTrayIcon();
}

void SwitchPanel::Command_Click(int button) {
  assert(button >= 1 && button <= kButtonCount);
  if (!buttons_[button - 1].enabled) return;

  const int line = lineOfButton(button);
  const bool switchOn = isActivateButton(button);
  setEnabled(activateButtonOf(line), !switchOn);
  setEnabled(deactivateButtonOf(line), switchOn);

  // Setting or clearing the bit, rather than adding or subtracting its value,
  // leaves the other lines alone even when the register has been changed
  // behind the buttons' back, and always yields a valid byte.
  const int read = port_.PortIn(kDataPort);
  const int bit = bitValueOf(line);
  port_.PortOut(kDataPort, switchOn ? (read | bit) : (read & ~bit));
}

void SwitchPanel::setEnabled(int button, bool enabled) {
  buttons_[button - 1].enabled = enabled;
  notify(button);
}

void SwitchPanel::setCaption(int button, std::string caption) {
  buttons_[button - 1].caption = std::move(caption);
  notify(button);
}

void SwitchPanel::notify(int button) {
  for (const ButtonChanged& observer : buttonObservers_) observer(button, buttons_[button - 1]);
}

}  // namespace velmo::switchpanel
