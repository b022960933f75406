// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

#include "chaser/chaser.h"
#include "dbus/bus_object.h"

class QWidget;

namespace velmo::chaser {

// Runs the click of pattern 1 to 3, or of "Deaktiver" for 0, as a handler
// (through runGuarded). Returns false when it failed and the program is
// ending.
bool clickPattern(Chaser& chaser, int pattern);

// The org.freedesktop.Application action of pattern 1 to 3 ("pattern1"), or
// of "Deaktiver" for 0 ("stop").
QString patternAction(int pattern);

// The chaser on the session bus: org.velmo.Chaser1 and
// org.freedesktop.Application (Activate brings the window to the front; the
// actions "pattern1", "pattern2", "pattern3" and "stop" are the four
// buttons). Every call runs its button's click. The chaser and the window
// must outlive it.
class ChaserBus : public QObject {
  Q_OBJECT
  // The interface's members (dbus/org.velmo.Chaser1.xml), under the names
  // by which its adaptor reads and calls them.
  Q_PROPERTY(uint Pattern READ pattern)

 public:
  ChaserBus(Chaser& chaser, QWidget& window);

  dbus::BusObject& object() { return *object_; }

  uint pattern() const { return static_cast<uint>(chaser_.pattern()); }

 public slots:
  void Start(uint pattern);
  void Stop() { click(0); }

 private:
  void click(int pattern);

  Chaser& chaser_;
  std::unique_ptr<dbus::BusObject> object_;
};

}  // namespace velmo::chaser
