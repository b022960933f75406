// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser_bus.h"

#include <QWidget>

#include "dbus/bus_client.h"
#include "qt/fatal_error.h"
#include "qt/front_window.h"
#include "qt/program_life.h"

namespace velmo::chaser {

bool clickPattern(Chaser& chaser, int pattern) {
  return qt::runGuarded([&] { (chaser.*Chaser::kClickOfPattern.at(pattern))(); });
}

QString patternAction(int pattern) {
  return pattern == 0 ? "stop" : "pattern" + QString::number(pattern);
}

ChaserBus::ChaserBus(Chaser& chaser, QWidget& window) : chaser_(chaser) {
  dbus::ApplicationHooks application{[&window] {
                                       if (!qt::runsHeadless()) qt::bringToFront(window);
                                     },
                                     {}};
  for (int pattern = 0; pattern <= Chaser::kPatternCount; ++pattern) {
    application.actions[patternAction(pattern)] = [this, pattern] { click(pattern); };
  }
  object_ = std::make_unique<dbus::BusObject>(*new dbus::ChaserAdaptor(this), dbus::kChaser.path,
                                              std::move(application));
  chaser_.onPatternChanged([this](int) { object_->propertiesMayHaveChanged(); });
}

void ChaserBus::Start(uint pattern) {
  if (pattern < 1 || pattern > Chaser::kPatternCount) {
    return object_->refuse(dbus::invalidArgument("A pattern is 1 to " +
                                                 QString::number(Chaser::kPatternCount) + ", not " +
                                                 QString::number(pattern) + "."));
  }
  click(static_cast<int>(pattern));
}

void ChaserBus::click(int pattern) {
  if (!clickPattern(chaser_, pattern)) object_->refuse(dbus::endingAfterError(dbus::kChaser));
}

}  // namespace velmo::chaser
