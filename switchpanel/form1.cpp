// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/form1.h"

#include <QCloseEvent>
#include <QWindow>

#include "qt/fatal_error.h"
#include "qt/fitted_caption.h"
#include "switchpanel/form1_design.h"
#include "switchpanel/panel_window.h"

namespace velmo::switchpanel {

namespace design = form1_design;

// The form as the core's PanelWindow.
class Form1::Window final : public PanelWindow {
 public:
  explicit Window(QWidget& form) : form_(form) {}

  State windowState() const override {
    const Qt::WindowStates state = form_.windowState();
    if (state & Qt::WindowMinimized) return State::Minimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) return State::Maximized;
    return State::Normal;
  }
  void setWindowState(State state) override {
    const Qt::WindowStates kept = form_.windowState() & Qt::WindowActive;
    form_.setWindowState(kept | (state == State::Minimized   ? Qt::WindowMinimized
                                 : state == State::Maximized ? Qt::WindowMaximized
                                                             : Qt::WindowNoState));
  }
  void hideWindow() override { form_.hide(); }
  void showWindow() override {
    // A window mapped again goes wherever the window manager likes unless
    // its hints ask for a place. Qt writes the place into the hints only when
    // the position changes, hence the step aside and back (unseen: the
    // window is not mapped yet).
    if (QWindow* window = form_.windowHandle()) {
      const QPoint place = form_.geometry().topLeft();
      window->setPosition(place + QPoint(1, 0));
      window->setPosition(place);
    }
    form_.show();
    form_.raise();
    form_.activateWindow();
  }

 private:
  QWidget& form_;
};

Form1::Form1(SwitchPanel& panel, NotificationArea& area)
    : qt::Form(QSize(design::kClientWidth, design::kClientHeight), design::kTitle,
               ":/velmo/picture.gif", ":/velmo/icon.png"),
      panel_(panel),
      window_(std::make_unique<Window>(*this)) {
  setObjectName("Form1");
  addButtons();
  panel_.addButtonObserver(
      [this](int button, const SwitchPanel::Button& state) { mirror(button, state); });
  panel_.attachWindow(*window_, area);
}

Form1::~Form1() = default;

void Form1::addButtons() {
  for (int button = 1; button <= kButtonCount; ++button) {
    const QRect twips(design::buttonLeft(button), design::buttonTop(button), design::kButtonWidth,
                      design::kButtonHeight);
    QPushButton* widget = addButton(QString("Command%1").arg(button), QString(), twips);
    buttons_[button - 1] = widget;
    mirror(button, panel_.button(button));
    connect(widget, &QPushButton::clicked, this,
            [this, button] { qt::runGuarded([this, button] { panel_.Command_Click(button); }); });
  }
  for (std::size_t i = 1; i < design::kTabOrder.size(); ++i) {
    setTabOrder(commandButton(design::kTabOrder[i - 1]), commandButton(design::kTabOrder[i]));
  }
}

void Form1::mirror(int button, const SwitchPanel::Button& state) {
  QPushButton* widget = commandButton(button);
  qt::setFittedCaption(*widget, QString::fromStdString(state.caption));
  widget->setEnabled(state.enabled);
}

void Form1::changeEvent(QEvent* event) {
  qt::Form::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) qt::runGuarded([this] { panel_.Form_Resize(); });
}

void Form1::resizeEvent(QResizeEvent* event) {
  qt::Form::resizeEvent(event);
  qt::runGuarded([this] { panel_.Form_Resize(); });
}

void Form1::closeEvent(QCloseEvent* event) {
  qt::runGuarded([this] { panel_.Form_Unload(); });
  event->accept();
}

}  // namespace velmo::switchpanel
