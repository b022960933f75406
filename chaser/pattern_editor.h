// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

#include "chaser/chaser.h"
#include "chaser/pattern_save.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace velmo::chaser {

// "Mønstre": the editor of the user's patterns. A grid of the eight lines
// by the pattern's steps (a click on a cell lights or darkens that line in
// that step), each step's time beneath it and one for all, the name, steps
// and patterns added and removed, a preview that plays the pattern on the
// port while it is edited, and saving through PatternDocument: a file
// changed on disk meanwhile is not overwritten; the editor says so and
// offers to read it again. Saved patterns go to the chaser at once. The
// chaser runs its work through runStepWork; it must outlive the editor.
class PatternEditor : public QDialog {
 public:
  PatternEditor(Chaser& chaser, PatternPlaces places, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The window's rows, top to bottom; each makes the widgets it holds.
  void buildLayout();
  QLayout* chooserRow();
  QLayout* nameRow();
  QWidget* makeGrid();
  QLayout* stepsRow();
  QLayout* bottomRow();
  void readFile();
  void showPatterns();
  void showCurrent();
  void toggleCell(int row, int column);
  void setStepTime(int step, int milliseconds);
  void addStep();
  void removeStep();
  void addPattern();
  void removePattern();
  bool save();
  void changed();
  void preview();
  UserPattern* current();

  Chaser& chaser_;
  PatternPlaces places_;
  PatternDocument document_;
  std::vector<UserPattern> patterns_;
  int currentIndex_ = -1;
  bool unsaved_ = false;

  QComboBox* chooser_ = nullptr;
  QLineEdit* name_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QSpinBox* allTimes_ = nullptr;
  QCheckBox* preview_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace velmo::chaser
