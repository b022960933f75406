// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>

#include "qt/form.h"
#include "switchpanel/notification_area.h"
#include "switchpanel/switch_panel.h"

namespace velmo::switchpanel {

// The panel window Form1: a thin shell around a SwitchPanel. Its sixteen
// buttons mirror the core's captions (fitted to the buttons) and enabled
// states; clicks, size and state changes and closing run the core's handlers
// through runGuarded. The pointer over the window is not reported: only the
// notification area's restore request brings the window back. The core and
// the notification area must outlive the window.
class Form1 : public qt::Form {
 public:
  Form1(SwitchPanel& panel, NotificationArea& area);
  ~Form1() override;

  // Command<button>, button 1..16.
  QPushButton* commandButton(int button) const { return buttons_[button - 1]; }

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class Window;

  void addButtons();
  void mirror(int button, const SwitchPanel::Button& state);

  SwitchPanel& panel_;
  std::unique_ptr<Window> window_;
  std::array<QPushButton*, kButtonCount> buttons_{};
};

}  // namespace velmo::switchpanel
