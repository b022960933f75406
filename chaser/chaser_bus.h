// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
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

// The chaser on the session bus: org.velmo.Chaser1 (Start, Stop, SetSpeed,
// Tap and the properties Pattern, Patterns and Speed) and
// org.freedesktop.Application (Activate brings the window to the front; the
// actions "pattern1", "pattern2", "pattern3" and "stop" are the four
// buttons). Every call runs its button's click, through runStepWork. The
// chaser and the window must outlive it.
class ChaserBus {
 public:
  ChaserBus(Chaser& chaser, QWidget& window);

  dbus::BusObject& object() { return *object_; }

 private:
  std::optional<dbus::BusError> start(const QVariantList& arguments);
  std::optional<dbus::BusError> setSpeed(const QVariantList& arguments);
  std::optional<dbus::BusError> click(int pattern);
  std::optional<dbus::BusError> run(const std::function<void()>& work);
  // The property Patterns, a(us); on the step work's thread.
  QVariant patterns() const;

  Chaser& chaser_;
  std::unique_ptr<dbus::BusObject> object_;
};

}  // namespace velmo::chaser
