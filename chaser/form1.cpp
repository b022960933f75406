// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/form1.h"

#include <QRect>
#include <array>

#include "qt/fatal_error.h"

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
const std::array<ButtonDesign, 4> kButtons{{
    {"Command1", "Løpelys 1", 120, &Chaser::Command1_Click},
    {"Command2", "Løpelys 2", 1200, &Chaser::Command2_Click},
    {"Command3", "Løpelys 3", 2280, &Chaser::Command3_Click},
    {"Command4", "Deaktiver", 3360, &Chaser::Command4_Click},
}};

}  // namespace

Form1::Form1(Chaser& chaser)
    : Form(kClientTwips, kTitle, ":/velmo/picture.gif", ":/velmo/icon.png"), chaser_(chaser) {
  addButtons();
}

void Form1::addButtons() {
  QPushButton* previous = nullptr;
  for (const ButtonDesign& design : kButtons) {
    QPushButton* button = addButton(design.name, QString::fromUtf8(design.caption),
                                    QRect(design.left, kButtonTop, kButtonWidth, kButtonHeight));
    connect(button, &QPushButton::clicked, this,
            [this, click = design.click] { qt::runGuarded([&] { (chaser_.*click)(); }); });
    if (previous) setTabOrder(previous, button);
    previous = button;
  }
}

}  // namespace velmo::chaser
