// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "chaser/chaser.h"
#include "dbus/bus_object.h"
#include "dbus/chaser_types.h"

class QWidget;

namespace velmo::chaser {

// Asks the chaser that runs already on the port target to start pattern,
// as its Start does. Throws RunTimeError with the reason when it does not.
void startInRunningChaser(const std::string& target, int pattern);

// The chaser on the session bus: org.velmo.Chaser1 and
// org.freedesktop.Application (Activate brings the window to the front; the
// actions "pattern1", "pattern2", "pattern3" and "stop" are the four
// buttons). Every call runs its button's click, through runStepWork, and so
// does every read. The chaser and the window must outlive it.
class ChaserBus : public QObject {
  Q_OBJECT
  // The interface's members (dbus/org.velmo.Chaser1.xml), under the names
  // by which its adaptor reads and calls them.
  Q_PROPERTY(uint Pattern READ pattern)
  Q_PROPERTY(velmo::dbus::PatternEntries Patterns READ patterns)
  Q_PROPERTY(double Speed READ speed)

 public:
  ChaserBus(Chaser& chaser, QWidget& window);

  dbus::BusObject& object() { return *object_; }

  uint pattern() const;
  dbus::PatternEntries patterns() const;
  double speed() const;

 public slots:
  void Start(uint pattern);
  void Stop() { click(0); }
  void SetSpeed(double speed);
  void Tap();

 private:
  void click(int pattern);
  // Runs work on the chaser; refuses the call when the program is ending.
  void run(const std::function<void()>& work);

  Chaser& chaser_;
  std::unique_ptr<dbus::BusObject> object_;
};

}  // namespace velmo::chaser
