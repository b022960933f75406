// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/form1.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QMessageBox>
#include <QRect>
#include <QShortcut>
#include <QSignalBlocker>
#include <array>
#include <tuple>

#include "dbus/chaser_facts.h"
#include "qt/fitted_caption.h"
#include "qt/program_life.h"
#include "qt/step_thread.h"

namespace velmo::chaser {
namespace {

constexpr QSize kClientTwips{4455, 1515};
constexpr const char* kTitle = "Velmo 1.1 by the Velmo team";

// The button row under the picture, 1080 twips apart, in tab order.
struct ButtonDesign {
  const char* name;
  const char* caption;
  int left;
  void (Chaser::*click)();
};
constexpr int kButtonTop = 960;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 375;
constexpr int kButtonPitch = 1080;
const std::array<ButtonDesign, 4> kButtons{{
    {"Command1", dbus::kChaserButtons[1], 120, &Chaser::Command1_Click},
    {"Command2", dbus::kChaserButtons[2], 1200, &Chaser::Command2_Click},
    {"Command3", dbus::kChaserButtons[3], 2280, &Chaser::Command3_Click},
    {"Command4", dbus::kChaserButtons[0], 3360, &Chaser::Command4_Click},
}};
// The rows of user patterns, as many buttons to a row as the row above.
constexpr int kRowPitch = 480;

// The tempo controls in the white band above the picture's line, in pixels.
constexpr QRect kSpeedBox{120, 1, 62, 19};
constexpr QRect kTapButton{186, 1, 38, 19};
constexpr QRect kPatternsButton{228, 1, 66, 19};
constexpr double kSpeedStep = 0.05;
constexpr double kControlPointSize = 8;

}  // namespace

Form1::Form1(Chaser& chaser)
    : Form(kClientTwips, kTitle, ":/velmo/picture.gif", ":/velmo/icon.png"), chaser_(chaser) {
  addButtons();
  addTempoControls();
  std::vector<Chaser::PatternEntry> patterns;
  double speed = 1;
  const QPointer<QObject> self(this);
  run([&] {
    patterns = chaser_.patterns();
    speed = chaser_.speed();
    chaser_.onPatternsChanged([this, self] {
      auto now = chaser_.patterns();  // on the step work's thread, as the change
      qt::onApplicationThread(self, [this, now] { showUserPatterns(now); });
    });
    chaser_.onSpeedChanged([this, self](double value) {
      qt::onApplicationThread(self, [this, value] {
        const QSignalBlocker quiet(speed_);
        speed_->setValue(value);
      });
    });
  });
  showUserPatterns(patterns);
  speed_->setValue(speed);
}

void Form1::run(const std::function<void()>& work) {
  qt::runStepWork(work);
}

void Form1::addButtons() {
  QPushButton* previous = nullptr;
  for (const ButtonDesign& design : kButtons) {
    QPushButton* button = addButton(design.name, QString::fromUtf8(design.caption),
                                    QRect(design.left, kButtonTop, kButtonWidth, kButtonHeight));
    connect(button, &QPushButton::clicked, this,
            [this, click = design.click] { run([&] { (chaser_.*click)(); }); });
    if (previous) setTabOrder(previous, button);
    previous = button;
  }
}

void Form1::addTempoControls() {
  QFont small = font();
  small.setPointSizeF(kControlPointSize);
  speed_ = new QDoubleSpinBox(this);
  speed_->setObjectName("Speed");
  speed_->setGeometry(kSpeedBox);
  speed_->setFont(small);
  speed_->setRange(Chaser::kMinSpeed, Chaser::kMaxSpeed);
  speed_->setSingleStep(kSpeedStep);
  speed_->setSuffix("×");
  speed_->setToolTip("Speed: every step time divided by it (keys + and -)");
  // Without the focus the keys + - and T stay the window's.
  speed_->setFocusPolicy(Qt::NoFocus);
  connect(speed_, &QDoubleSpinBox::valueChanged, this,
          [this](double value) { run([&] { chaser_.setSpeed(value); }); });

  QPushButton* tap = new QPushButton(this);
  tap->setObjectName("Tap");
  QPushButton* patterns = new QPushButton(this);
  patterns->setObjectName("Patterns");
  for (auto [button, place, caption] :
       {std::tuple{tap, kTapButton, "Tapp"}, std::tuple{patterns, kPatternsButton, "Mønstre…"}}) {
    button->setGeometry(place);
    button->setFont(small);
    button->setAutoDefault(false);
    qt::setFittedCaption(*button, QString::fromUtf8(caption));
  }
  tap->setToolTip("Tap the beat: a step lasts one beat (key T)");
  connect(tap, &QPushButton::clicked, this, [this] { run([&] { chaser_.Tap(); }); });
  connect(patterns, &QPushButton::clicked, this, [this] {
    if (editPatterns_) editPatterns_();
  });

  const auto shortcut = [this](QKeySequence keys, std::function<void()> action) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, std::move(action));
  };
  for (const auto modifier : {Qt::NoModifier, Qt::KeypadModifier}) {
    shortcut(QKeySequence(modifier | Qt::Key_Plus), [this] { changeSpeedBy(1); });
    shortcut(QKeySequence(modifier | Qt::Key_Minus), [this] { changeSpeedBy(-1); });
  }
  shortcut(QKeySequence(Qt::Key_T), [this] { run([&] { chaser_.Tap(); }); });
}

void Form1::changeSpeedBy(double steps) {
  speed_->setValue(speed_->value() + steps * kSpeedStep);
}

void Form1::showUserPatterns(const std::vector<Chaser::PatternEntry>& patterns) {
  for (QPushButton* button : userButtons_) delete button;
  userButtons_.clear();
  QWidget* previous = findChild<QPushButton*>(kButtons.back().name);
  for (const Chaser::PatternEntry& pattern : patterns) {
    if (pattern.number <= Chaser::kPatternCount) continue;
    const int index = static_cast<int>(userButtons_.size());
    const int left = kButtons[0].left + (index % 4) * kButtonPitch;
    const int top = kButtonTop + (index / 4 + 1) * kRowPitch;
    QPushButton* button = addButton("Pattern" + QString::number(pattern.number), "",
                                    QRect(left, top, kButtonWidth, kButtonHeight));
    qt::setFittedCaption(*button, QString::fromStdString(pattern.name));
    connect(button, &QPushButton::clicked, this,
            [this, number = pattern.number] { run([&] { chaser_.click(number); }); });
    button->show();
    setTabOrder(previous, button);
    previous = button;
    userButtons_.push_back(button);
  }
  const int rows = (static_cast<int>(userButtons_.size()) + 3) / 4;
  setFixedSize(qt::twipsToPixels(kClientTwips.width()),
               qt::twipsToPixels(kClientTwips.height() + rows * kRowPitch));
}

void Form1::closeEvent(QCloseEvent* event) {
  for (QDialog* dialog : findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
    if (dialog->isVisible() && !dialog->close()) return event->ignore();
  }
  event->accept();
}

void Form1::showPatternProblems(const std::vector<std::string>& problems) {
  if (problems.empty() || qt::runsHeadless()) return;
  QString text;
  for (const std::string& problem : problems) text += QString::fromStdString(problem) + "\n\n";
  auto* box =
      new QMessageBox(QMessageBox::Warning, windowTitle(),
                      "These patterns were left out; everything else runs.", QMessageBox::Ok, this);
  box->setInformativeText(text.trimmed());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

}  // namespace velmo::chaser
