// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

#include "dbus/bus_object.h"
#include "switchpanel/switch_panel.h"

namespace velmo::switchpanel {

// The switch panel on the session bus: org.velmo.SwitchPanel1 and
// org.freedesktop.Application (Activate brings the window back, from the
// notification area too). SetLine runs the click of the line's button for
// the asked state, which does nothing when that button is disabled. The
// panel must outlive it.
class PanelBus : public QObject {
  Q_OBJECT
  // The interface's members (dbus/org.velmo.SwitchPanel1.xml), under the
  // names by which its adaptor reads and calls them.
  Q_PROPERTY(uchar Lines READ lines)
  Q_PROPERTY(QStringList Captions READ captions)

 public:
  explicit PanelBus(SwitchPanel& panel);

  dbus::BusObject& object() { return *object_; }

  uchar lines() const { return static_cast<uchar>(panel_.linesShownOn()); }
  QStringList captions() const;

 public slots:
  void SetLine(uint line, bool on);

 private:
  SwitchPanel& panel_;
  std::unique_ptr<dbus::BusObject> object_;
};

}  // namespace velmo::switchpanel
