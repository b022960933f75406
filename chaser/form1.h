// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chaser/chaser.h"
#include "qt/form.h"

namespace velmo::chaser {

// The chaser's window: the picture and the buttons "Løpelys 1",
// "Løpelys 2", "Løpelys 3" and "Deaktiver" in one row, each click running
// its handler of the Chaser through runGuarded. Layout and wiring only; the
// chaser must outlive the window.
class Form1 : public qt::Form {
 public:
  explicit Form1(Chaser& chaser);

 private:
  void addButtons();

  Chaser& chaser_;
};

}  // namespace velmo::chaser
