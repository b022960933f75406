// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace velmo::switchpanel {

// The window system as the panel sees its own window.
class PanelWindow {
 public:
  enum class State { Normal, Minimized, Maximized };

  virtual ~PanelWindow() = default;

  virtual State windowState() const = 0;
  virtual void setWindowState(State state) = 0;

  // Takes the window off the screen and the taskbar / puts it back, modeless
  // and without an owner.
  virtual void hideWindow() = 0;
  virtual void showWindow() = 0;
};

}  // namespace velmo::switchpanel
