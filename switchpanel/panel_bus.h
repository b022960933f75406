// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "dbus/bus_object.h"
#include "switchpanel/switch_panel.h"

namespace velmo::switchpanel {

// The switch panel on the session bus: org.velmo.SwitchPanel1 (SetLine and
// the properties Lines and Captions) and org.freedesktop.Application
// (Activate brings the window back, from the notification area too).
// SetLine runs the click of the line's button for the asked state, which
// does nothing when that button is disabled. The panel must outlive it.
class PanelBus {
 public:
  explicit PanelBus(SwitchPanel& panel);

  dbus::BusObject& object() { return *object_; }

 private:
  std::optional<dbus::BusError> setLine(const QVariantList& arguments);

  SwitchPanel& panel_;
  std::unique_ptr<dbus::BusObject> object_;
};

}  // namespace velmo::switchpanel
