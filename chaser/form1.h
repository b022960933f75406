// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chaser/chaser.h"
#include "qt/form.h"

class QDoubleSpinBox;

namespace velmo::chaser {

// The chaser's window: the picture and the buttons "Løpelys 1",
// "Løpelys 2", "Løpelys 3" and "Deaktiver" in one row, and beneath them, when
// there are user patterns, their buttons in rows of four (the window grows
// only then). Above the picture's line: the speed (arrows, the wheel, and
// the keys + and - anywhere in the window), "Tapp" (and the key T) and
// "Mønstre…", which opens the editor. Every click runs its handler of the
// Chaser through runStepWork. Layout and wiring only; the chaser must outlive
// the window.
class Form1 : public qt::Form {
 public:
  explicit Form1(Chaser& chaser);

  // What "Mønstre…" does; nothing until one is given.
  void onEditPatterns(std::function<void()> open) { editPatterns_ = std::move(open); }

  // Tells, without blocking, the patterns that were left out and why.
  void showPatternProblems(const std::vector<std::string>& problems);

 protected:
  // Closes the window's dialogs first (the editor asks about what is not
  // saved); one that stays open keeps the window open too.
  void closeEvent(QCloseEvent* event) override;

 private:
  void addButtons();
  void addTempoControls();
  // Makes the buttons of the user's patterns anew, and the window's height.
  void showUserPatterns(const std::vector<Chaser::PatternEntry>& patterns);
  void changeSpeedBy(double steps);
  void run(const std::function<void()>& work);

  Chaser& chaser_;
  QDoubleSpinBox* speed_ = nullptr;
  std::vector<QPushButton*> userButtons_;
  std::function<void()> editPatterns_;
};

}  // namespace velmo::chaser
