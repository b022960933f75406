// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser_bus.h"

#include <QDBusConnection>
#include <QWidget>

#include "dbus/bus_client.h"
#include "qt/fatal_error.h"
#include "qt/front_window.h"
#include "qt/program_life.h"
#include "qt/step_thread.h"
#include "system/run_time_error.h"

namespace velmo::chaser {
namespace {

// The org.freedesktop.Application action of pattern 1 to 3 ("pattern1"), or
// of "Deaktiver" for 0 ("stop"): the menu entry's actions.
QString patternAction(int pattern) {
  return pattern == 0 ? "stop" : "pattern" + QString::number(pattern);
}

}  // namespace

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
  std::string refusal;
  qt::runStepWork([&] {
    const bool known = pattern >= 1 && pattern <= uint(UserPattern::kLastNumber) &&
                       chaser_.hasPattern(static_cast<int>(pattern));
    if (!known) refusal = chaser_.noSuchPattern(pattern);
  });
  if (!refusal.empty()) {
    return object_->refuse(dbus::invalidArgument(QString::fromStdString(refusal)));
  }
  run([this, pattern] { chaser_.click(static_cast<int>(pattern)); });
}

void startInRunningChaser(const std::string& target, int pattern) {
  constexpr int kTimeoutMs = 5000;
  QDBusPendingReply<> reply = dbus::reach<dbus::ChaserProxy>(
                                  dbus::kChaser, target, QDBusConnection::sessionBus(), kTimeoutMs)
                                  ->Start(static_cast<uint>(pattern));
  reply.waitForFinished();
  if (reply.isError()) {
    throw RunTimeError("The chaser that runs on this port did not start pattern " +
                       std::to_string(pattern) + ": " + reply.error().message().toStdString());
  }
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
  run([this, pattern] { chaser_.click(pattern); });
}

void ChaserBus::run(const std::function<void()>& work) {
  if (!qt::runStepWork(work)) object_->refuse(dbus::endingAfterError(dbus::kChaser));
}

}  // namespace velmo::chaser
