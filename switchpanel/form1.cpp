#include "switchpanel/form1.h"

#include "platform/qt/fatal_error.h"
#include "switchpanel/form1_design.h"

namespace velmo::qt {

namespace design = form1_design;

Form1::Form1(SwitchPanel& panel)
    : Form(QSize(design::kClientWidth, design::kClientHeight), design::kTitle,
           ":/velmo/picture.gif", ":/velmo/icon.png"),
      panel_(panel) {
  setObjectName("Form1");
  for (int button = 1; button <= kButtonCount; ++button) {
    const QRect twips(design::buttonLeft(button), design::buttonTop(button), design::kButtonWidth,
                      design::kButtonHeight);
    QPushButton* widget = addButton(QString("Command%1").arg(button), QString(), twips);
    buttons_[button - 1] = widget;
    mirror(button, panel_.button(button));
    connect(widget, &QPushButton::clicked, this,
            [this, button] { runGuarded([this, button] { panel_.Command_Click(button); }); });
  }
  for (std::size_t i = 1; i < design::kTabOrder.size(); ++i) {
    setTabOrder(commandButton(design::kTabOrder[i - 1]), commandButton(design::kTabOrder[i]));
  }
  panel_.onButtonChanged(
      [this](int button, const SwitchPanel::Button& state) { mirror(button, state); });
}

Form1::~Form1() {
  panel_.onButtonChanged(nullptr);
}

void Form1::mirror(int button, const SwitchPanel::Button& state) {
  QPushButton* widget = commandButton(button);
  widget->setText(QString::fromStdString(state.caption));
  widget->setEnabled(state.enabled);
}

}  // namespace velmo::qt
