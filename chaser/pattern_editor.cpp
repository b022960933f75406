// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/pattern_editor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "port/port_lines.h"
#include "qt/step_thread.h"
#include "system/safe_file.h"

namespace velmo::chaser {
namespace {

constexpr int kLines = static_cast<int>(port::kLineCount);
constexpr int kTimeRow = kLines;  // beneath the lines
constexpr int kNewStepTime = 100;
const QColor kLit{255, 200, 0};
const QColor kDark{70, 60, 40};

QPushButton* button(const QString& caption, QWidget* parent, QLayout* layout) {
  auto* made = new QPushButton(caption, parent);
  made->setAutoDefault(false);
  layout->addWidget(made);
  return made;
}

}  // namespace

PatternEditor::PatternEditor(Chaser& chaser, PatternPlaces places, QWidget* parent)
    : QDialog(parent), chaser_(chaser), places_(std::move(places)) {
  setObjectName("PatternEditor");
  setWindowTitle("Mønstre");
  buildLayout();
  readFile();
}

void PatternEditor::buildLayout() {
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(chooserRow());
  layout->addLayout(nameRow());
  layout->addWidget(makeGrid(), 1);
  layout->addLayout(stepsRow());
  layout->addLayout(bottomRow());
  resize(640, 420);
}

QLayout* PatternEditor::chooserRow() {
  auto* row = new QHBoxLayout;
  chooser_ = new QComboBox(this);
  chooser_->setObjectName("Chooser");
  row->addWidget(chooser_, 1);
  connect(button("Nytt mønster", this, row), &QPushButton::clicked, this, [this] { addPattern(); });
  connect(button("Slett mønster", this, row), &QPushButton::clicked, this,
          [this] { removePattern(); });
  connect(chooser_, &QComboBox::currentIndexChanged, this, [this](int index) {
    currentIndex_ = index;
    showCurrent();
    if (preview_->isChecked()) preview();
  });
  return row;
}

QLayout* PatternEditor::nameRow() {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Navn:", this));
  name_ = new QLineEdit(this);
  name_->setObjectName("Name");
  row->addWidget(name_, 1);
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!current()) return;
    current()->name = text.trimmed().toStdString();
    chooser_->setItemText(currentIndex_, QString::number(current()->number) + ": " + text);
    changed();
  });
  return row;
}

QWidget* PatternEditor::makeGrid() {
  grid_ = new QTableWidget(kLines + 1, 0, this);
  grid_->setObjectName("Grid");
  QStringList rows;
  for (int line = 1; line <= kLines; ++line) rows << "Linje " + QString::number(line);
  grid_->setVerticalHeaderLabels(rows << "ms");
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);  // a cell shows lit or dark
  grid_->horizontalHeader()->setDefaultSectionSize(56);
  connect(grid_, &QTableWidget::cellClicked, this, [this](int r, int c) { toggleCell(r, c); });
  return grid_;
}

QLayout* PatternEditor::stepsRow() {
  auto* row = new QHBoxLayout;
  QPushButton* add = button("Nytt steg", this, row);
  add->setToolTip("Et mørkt steg etter steget sist klikket, eller til slutt");
  connect(add, &QPushButton::clicked, this, [this] { addStep(); });
  QPushButton* remove = button("Fjern steg", this, row);
  remove->setToolTip("Fjerner steget sist klikket, eller det siste");
  connect(remove, &QPushButton::clicked, this, [this] { removeStep(); });
  row->addStretch();
  row->addWidget(new QLabel("Tid for alle steg:", this));
  allTimes_ = new QSpinBox(this);
  allTimes_->setRange(1, UserPattern::kMaxStepTime);
  allTimes_->setSuffix(" ms");
  allTimes_->setValue(kNewStepTime);
  row->addWidget(allTimes_);
  connect(button("Sett", this, row), &QPushButton::clicked, this, [this] {
    if (!current()) return;
    std::fill(current()->times.begin(), current()->times.end(), allTimes_->value());
    showCurrent();
    changed();
  });
  return row;
}

QLayout* PatternEditor::bottomRow() {
  auto* row = new QHBoxLayout;
  preview_ = new QCheckBox("Forhåndsvis", this);
  preview_->setObjectName("Preview");
  row->addWidget(preview_);
  connect(preview_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) return preview();
    qt::runStepWork([this] { chaser_.Command4_Click(); });
  });
  status_ = new QLabel(this);
  status_->setObjectName("Status");
  status_->setWordWrap(true);
  row->addWidget(status_, 1);
  QPushButton* saveButton = button("Lagre", this, row);
  saveButton->setObjectName("Save");
  connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
  connect(button("Lukk", this, row), &QPushButton::clicked, this, [this] { close(); });
  return row;
}

void PatternEditor::readFile() {
  try {
    document_ = PatternDocument::open(places_);
  } catch (const FileReplaceError& error) {
    QMessageBox::warning(this, windowTitle(), error.what());
    document_ = PatternDocument{places_, patternFileToRead(places_), std::nullopt, {}};
  }
  patterns_ = document_.loaded.patterns;
  unsaved_ = false;
  QString text = "From " + QString::fromStdString(document_.path) + ".";
  for (const std::string& problem : document_.loaded.problems) {
    text += "\nLeft out, kept in the file as it is: " + QString::fromStdString(problem);
  }
  status_->setText(text);
  showPatterns();
}

void PatternEditor::showPatterns() {
  const QSignalBlocker quiet(chooser_);
  chooser_->clear();
  for (const UserPattern& pattern : patterns_) {
    chooser_->addItem(QString::number(pattern.number) + ": " +
                      QString::fromStdString(pattern.name));
  }
  currentIndex_ = patterns_.empty() ? -1 : std::clamp(currentIndex_, 0, int(patterns_.size()) - 1);
  chooser_->setCurrentIndex(currentIndex_);
  showCurrent();
}

UserPattern* PatternEditor::current() {
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<int>(patterns_.size())) return nullptr;
  return &patterns_[static_cast<std::size_t>(currentIndex_)];
}

void PatternEditor::showCurrent() {
  const UserPattern* pattern = current();
  name_->setEnabled(pattern != nullptr);
  name_->setText(pattern ? QString::fromStdString(pattern->name) : "");
  const int steps = pattern ? static_cast<int>(pattern->steps.size()) : 0;
  grid_->setColumnCount(steps);
  for (int step = 0; step < steps; ++step) {
    const auto s = static_cast<std::size_t>(step);
    for (int line = 0; line < kLines; ++line) {
      auto* cell = new QTableWidgetItem;
      cell->setBackground(pattern->steps[s] & (1 << line) ? kLit : kDark);
      grid_->setItem(line, step, cell);
    }
    auto* time = new QSpinBox;
    time->setRange(1, UserPattern::kMaxStepTime);
    time->setValue(pattern->times[s]);
    connect(time, &QSpinBox::valueChanged, this, [this, step](int ms) { setStepTime(step, ms); });
    grid_->setCellWidget(kTimeRow, step, time);
  }
}

void PatternEditor::toggleCell(int row, int column) {
  UserPattern* pattern = current();
  if (!pattern || row >= kLines) return;
  auto& step = pattern->steps[static_cast<std::size_t>(column)];
  step = static_cast<std::uint8_t>(step ^ (1 << row));
  grid_->item(row, column)->setBackground(step & (1 << row) ? kLit : kDark);
  changed();
}

void PatternEditor::setStepTime(int step, int milliseconds) {
  if (!current()) return;
  current()->times[static_cast<std::size_t>(step)] = milliseconds;
  changed();
}

void PatternEditor::addStep() {
  UserPattern* pattern = current();
  if (!pattern || pattern->steps.size() >= UserPattern::kMaxSteps) return;
  const int column = grid_->currentColumn();
  const auto at = column < 0 ? pattern->steps.size() : static_cast<std::size_t>(column) + 1;
  const int time = pattern->times.empty() ? kNewStepTime : pattern->times[at - 1];
  pattern->steps.insert(pattern->steps.begin() + static_cast<long>(at), 0);
  pattern->times.insert(pattern->times.begin() + static_cast<long>(at), time);
  showCurrent();
  changed();
}

void PatternEditor::removeStep() {
  UserPattern* pattern = current();
  if (!pattern || pattern->steps.size() <= 1) return;
  const int column = grid_->currentColumn();
  const auto at = column < 0 ? pattern->steps.size() - 1 : static_cast<std::size_t>(column);
  pattern->steps.erase(pattern->steps.begin() + static_cast<long>(at));
  pattern->times.erase(pattern->times.begin() + static_cast<long>(at));
  showCurrent();
  changed();
}

void PatternEditor::addPattern() {
  const auto taken = [this](int number) {
    const auto& bad = document_.loaded.badNumbers;
    return std::find(bad.begin(), bad.end(), number) != bad.end() ||
           std::any_of(patterns_.begin(), patterns_.end(),
                       [&](const UserPattern& p) { return p.number == number; });
  };
  int number = UserPattern::kFirstNumber;
  while (number <= UserPattern::kLastNumber && taken(number)) ++number;
  if (number > UserPattern::kLastNumber) {
    QMessageBox::information(this, windowTitle(), "There are 96 patterns of your own already.");
    return;
  }
  UserPattern pattern{number, "Mønster " + std::to_string(number), {}, {}};
  for (int line = 0; line < kLines; ++line) pattern.steps.push_back(std::uint8_t(1 << line));
  pattern.times.assign(pattern.steps.size(), allTimes_->value());
  const auto at = std::upper_bound(
      patterns_.begin(), patterns_.end(), pattern,
      [](const UserPattern& a, const UserPattern& b) { return a.number < b.number; });
  currentIndex_ = static_cast<int>(patterns_.insert(at, pattern) - patterns_.begin());
  showPatterns();
  changed();
}

void PatternEditor::removePattern() {
  if (!current()) return;
  patterns_.erase(patterns_.begin() + currentIndex_);
  showPatterns();
  changed();
}

void PatternEditor::changed() {
  unsaved_ = true;
  status_->setText("Not saved.");
  if (preview_->isChecked()) preview();
}

void PatternEditor::preview() {
  if (const UserPattern* pattern = current()) {
    qt::runStepWork([&] { chaser_.preview(*pattern); });
  }
}

bool PatternEditor::save() {
  try {
    document_.save(patterns_);
  } catch (const FileChangedError& error) {
    const auto answer = QMessageBox::question(
        this, windowTitle(),
        QString::fromStdString(error.what()) +
            ", so it was not overwritten. Read it again? What you changed here is then lost.");
    if (answer == QMessageBox::Yes) readFile();
    return false;
  } catch (const FileReplaceError& error) {
    QMessageBox::warning(this, windowTitle(), error.what());
    return false;
  }
  qt::runStepWork([this] { chaser_.setUserPatterns(document_.loaded.patterns); });
  unsaved_ = false;
  status_->setText("Saved in " + QString::fromStdString(document_.path) + ".");
  return true;
}

void PatternEditor::closeEvent(QCloseEvent* event) {
  if (unsaved_) {
    const auto answer =
        QMessageBox::question(this, windowTitle(), "Save the changes to the patterns?",
                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
      event->ignore();
      return;
    }
    if (answer == QMessageBox::Discard) readFile();
  }
  if (preview_->isChecked()) preview_->setChecked(false);
  event->accept();
}

}  // namespace velmo::chaser
