// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/panel_bus.h"

#include "dbus/bus_client.h"
#include "qt/fatal_error.h"
#include "qt/program_life.h"

namespace velmo::switchpanel {

PanelBus::PanelBus(SwitchPanel& panel) : panel_(panel) {
  dbus::ApplicationHooks application{[this] {
                                       if (!qt::runsHeadless())
                                         qt::runGuarded([this] { panel_.RestoreFromTray(); });
                                     },
                                     {}};
  object_ = std::make_unique<dbus::BusObject>(*new dbus::SwitchPanelAdaptor(this),
                                              dbus::kSwitchPanel.path, std::move(application));
  panel_.addButtonObserver(
      [this](int, const SwitchPanel::Button&) { object_->propertiesMayHaveChanged(); });
}

QStringList PanelBus::captions() const {
  QStringList captions;
  for (int button = 1; button <= kButtonCount; ++button)
    captions << QString::fromStdString(panel_.button(button).caption);
  return captions;
}

void PanelBus::SetLine(uint line, bool on) {
  if (line < 1 || line > kLineCount) {
    return object_->refuse(dbus::invalidArgument("A line is 1 to " + QString::number(kLineCount) +
                                                 ", not " + QString::number(line) + "."));
  }
  const int button =
      on ? activateButtonOf(static_cast<int>(line)) : deactivateButtonOf(static_cast<int>(line));
  if (!qt::runGuarded([&] { panel_.Command_Click(button); })) {
    object_->refuse(dbus::endingAfterError(dbus::kSwitchPanel));
  }
}

}  // namespace velmo::switchpanel
