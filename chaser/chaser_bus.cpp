// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser_bus.h"

#include <QStringList>
#include <QWidget>

#include "dbus/bus_client.h"
#include "qt/fatal_error.h"
#include "qt/front_window.h"
#include "qt/program_life.h"
#include "qt/step_thread.h"

namespace velmo::chaser {

bool clickPattern(Chaser& chaser, int pattern) {
  return qt::runStepWork([&] { (chaser.*Chaser::kClickOfPattern.at(pattern))(); });
}

QString patternAction(int pattern) {
  return pattern == 0 ? "stop" : "pattern" + QString::number(pattern);
}

ChaserBus::ChaserBus(Chaser& chaser, QWidget& window) : chaser_(chaser) {
  dbus::registerChaserTypes();
  dbus::ApplicationHooks application{[&window] {
                                       if (!qt::runsHeadless()) qt::bringToFront(window);
                                     },
                                     {}};
  for (int pattern = 0; pattern <= Chaser::kPatternCount; ++pattern) {
    application.actions[patternAction(pattern)] = [this, pattern] { click(pattern); };
  }
  object_ = std::make_unique<dbus::BusObject>(*new dbus::ChaserAdaptor(this), dbus::kChaser.path,
                                              std::move(application));
  // The chaser tells its changes on the step work's thread; the bus is told
  // on this one.
  const QPointer<QObject> self(this);
  const auto tell = [this, self] {
    qt::onApplicationThread(self, [this] { object_->propertiesMayHaveChanged(); });
  };
  qt::runStepWork([&] {
    chaser_.onPatternChanged([tell](int) { tell(); });
    chaser_.onPatternsChanged(tell);
    chaser_.onSpeedChanged([tell](double) { tell(); });
  });
}

uint ChaserBus::pattern() const {
  uint pattern = 0;
  qt::runStepWork([&] { pattern = static_cast<uint>(chaser_.pattern()); });
  return pattern;
}

dbus::PatternEntries ChaserBus::patterns() const {
  dbus::PatternEntries entries;
  qt::runStepWork([&] {
    for (const Chaser::PatternEntry& entry : chaser_.patterns()) {
      entries.push_back({static_cast<uint>(entry.number), QString::fromStdString(entry.name)});
    }
  });
  return entries;
}

double ChaserBus::speed() const {
  double speed = 1;
  qt::runStepWork([&] { speed = chaser_.speed(); });
  return speed;
}

void ChaserBus::Start(uint pattern) {
  bool known = false;
  QStringList numbers;
  qt::runStepWork([&] {
    known = pattern >= 1 && pattern <= uint(UserPattern::kLastNumber) &&
            chaser_.hasPattern(static_cast<int>(pattern));
    for (const Chaser::PatternEntry& entry : chaser_.patterns()) {
      numbers << QString::number(entry.number);
    }
  });
  if (!known) {
    return object_->refuse(
        dbus::invalidArgument("A pattern is one the chaser has: " + numbers.join(", ") + "; not " +
                              QString::number(pattern) + "."));
  }
  run([this, pattern] { chaser_.click(static_cast<int>(pattern)); });
}

void ChaserBus::SetSpeed(double speed) {
  if (!(speed >= Chaser::kMinSpeed && speed <= Chaser::kMaxSpeed)) {
    return object_->refuse(
        dbus::invalidArgument("A speed is 0.25 to 4, not " + QString::number(speed) + "."));
  }
  run([this, speed] { chaser_.setSpeed(speed); });
}

void ChaserBus::Tap() {
  run([this] { chaser_.Tap(); });
}

void ChaserBus::click(int pattern) {
  if (!clickPattern(chaser_, pattern)) object_->refuse(dbus::endingAfterError(dbus::kChaser));
}

void ChaserBus::run(const std::function<void()>& work) {
  if (!qt::runStepWork(work)) object_->refuse(dbus::endingAfterError(dbus::kChaser));
}

}  // namespace velmo::chaser
