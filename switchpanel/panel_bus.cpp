// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/panel_bus.h"

#include <QStringList>

#include "qt/fatal_error.h"
#include "qt/program_life.h"

namespace velmo::switchpanel {
namespace {

QStringList captionsOf(const SwitchPanel& panel) {
  QStringList captions;
  for (int button = 1; button <= kButtonCount; ++button)
    captions << QString::fromStdString(panel.button(button).caption);
  return captions;
}

}  // namespace

PanelBus::PanelBus(SwitchPanel& panel) : panel_(panel) {
  dbus::ApplicationHooks application{[this] {
                                       if (!qt::runsHeadless())
                                         qt::runGuarded([this] { panel_.RestoreFromTray(); });
                                     },
                                     {}};
  object_ = std::make_unique<dbus::BusObject>(
      dbus::kSwitchPanelBus,
      std::vector<dbus::BusMethod>{
          {"SetLine", "ub", "a line number and a state (u, b)",
           [this](const QVariantList& arguments) { return setLine(arguments); }},
      },
      std::vector<dbus::BusProperty>{
          {"Lines", [this] { return QVariant::fromValue(uchar(panel_.linesShownOn())); }},
          {"Captions", [this] { return QVariant(captionsOf(panel_)); }},
      },
      std::move(application));
  panel_.addButtonObserver([this](int, const SwitchPanel::Button&) {
    object_->propertyMayHaveChanged("Lines");
    object_->propertyMayHaveChanged("Captions");
  });
}

std::optional<dbus::BusError> PanelBus::setLine(const QVariantList& arguments) {
  const uint line = arguments.value(0).toUInt();
  if (line < 1 || line > kLineCount) {
    return dbus::invalidArgument("SetLine takes a line from 1 to " + QString::number(kLineCount) +
                                 ", not " + QString::number(line) + ".");
  }
  const int button = arguments.value(1).toBool() ? activateButtonOf(static_cast<int>(line))
                                                 : deactivateButtonOf(static_cast<int>(line));
  if (qt::runGuarded([&] { panel_.Command_Click(button); })) return std::nullopt;
  return dbus::failed("The switch panel is ending after an error; start it again.");
}

}  // namespace velmo::switchpanel
