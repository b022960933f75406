#pragma once

#include <array>

#include "platform/qt/form.h"
#include "switchpanel/switch_panel.h"

namespace velmo::qt {

// The panel window Form1: a thin shell around a SwitchPanel. Its sixteen
// buttons mirror the core's captions and enabled states, and a click runs the
// core's click handler through runGuarded. The core must outlive the window.
class Form1 : public Form {
 public:
  explicit Form1(SwitchPanel& panel);
  ~Form1() override;

  // Command<button>, button 1..16.
  QPushButton* commandButton(int button) const { return buttons_[button - 1]; }

 private:
  void mirror(int button, const SwitchPanel::Button& state);

  SwitchPanel& panel_;
  std::array<QPushButton*, kButtonCount> buttons_{};
};

}  // namespace velmo::qt
