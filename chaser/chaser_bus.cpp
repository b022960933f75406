// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser_bus.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QWidget>

#include "qt/fatal_error.h"
#include "qt/front_window.h"
#include "qt/program_life.h"
#include "qt/step_thread.h"

namespace velmo::chaser {

// One entry of the property Patterns, (us) on the bus.
struct BusPattern {
  uint number = 0;
  QString name;
  bool operator==(const BusPattern&) const = default;
};

QDBusArgument& operator<<(QDBusArgument& argument, const BusPattern& pattern) {
  argument.beginStructure();
  argument << pattern.number << pattern.name;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusPattern& pattern) {
  argument.beginStructure();
  argument >> pattern.number >> pattern.name;
  argument.endStructure();
  return argument;
}

}  // namespace velmo::chaser

Q_DECLARE_METATYPE(velmo::chaser::BusPattern)

namespace velmo::chaser {
namespace {

// What a property reads now, read where the chaser's work runs.
template <typename Read>
QVariant readNow(Read read) {
  QVariant value;
  qt::runStepWork([&] { value = read(); });
  return value;
}

}  // namespace

bool clickPattern(Chaser& chaser, int pattern) {
  return qt::runStepWork([&] { (chaser.*Chaser::kClickOfPattern.at(pattern))(); });
}

QString patternAction(int pattern) {
  return pattern == 0 ? "stop" : "pattern" + QString::number(pattern);
}

ChaserBus::ChaserBus(Chaser& chaser, QWidget& window) : chaser_(chaser) {
  qDBusRegisterMetaType<BusPattern>();
  qDBusRegisterMetaType<QList<BusPattern>>();
  dbus::ApplicationHooks application{[&window] {
                                       if (!qt::runsHeadless()) qt::bringToFront(window);
                                     },
                                     {}};
  for (int pattern = 0; pattern <= Chaser::kPatternCount; ++pattern) {
    application.actions[patternAction(pattern)] = [this, pattern] { click(pattern); };
  }
  object_ = std::make_unique<dbus::BusObject>(
      dbus::kChaserBus,
      std::vector<dbus::BusMethod>{
          {"Start", "u", "a pattern number (u)",
           [this](const QVariantList& arguments) { return start(arguments); }},
          {"Stop", "", "no arguments", [this](const QVariantList&) { return click(0); }},
          {"SetSpeed", "d", "a speed factor (d)",
           [this](const QVariantList& arguments) { return setSpeed(arguments); }},
          {"Tap", "", "no arguments",
           [this](const QVariantList&) { return run([this] { chaser_.Tap(); }); }},
      },
      std::vector<dbus::BusProperty>{
          {"Pattern", [this] { return readNow([this] { return uint(chaser_.pattern()); }); }},
          {"Patterns", [this] { return readNow([this] { return patterns(); }); }},
          {"Speed", [this] { return readNow([this] { return chaser_.speed(); }); }},
      },
      std::move(application));
  const QPointer<QObject> self(object_.get());
  const auto tell = [this, self](const char* property) {
    qt::onApplicationThread(self, [this, property] { object_->propertyMayHaveChanged(property); });
  };
  qt::runStepWork([&] {
    chaser_.onPatternChanged([tell](int) { tell("Pattern"); });
    chaser_.onPatternsChanged([tell] { tell("Patterns"); });
    chaser_.onSpeedChanged([tell](double) { tell("Speed"); });
  });
}

QVariant ChaserBus::patterns() const {
  QList<BusPattern> list;
  for (const Chaser::PatternEntry& entry : chaser_.patterns()) {
    list.push_back({uint(entry.number), QString::fromStdString(entry.name)});
  }
  return QVariant::fromValue(list);
}

std::optional<dbus::BusError> ChaserBus::start(const QVariantList& arguments) {
  const uint pattern = arguments.value(0).toUInt();
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
    return dbus::invalidArgument("Start takes a pattern the chaser has: " + numbers.join(", ") +
                                 "; not " + QString::number(pattern) + ".");
  }
  return run([this, pattern] { chaser_.click(static_cast<int>(pattern)); });
}

std::optional<dbus::BusError> ChaserBus::setSpeed(const QVariantList& arguments) {
  const double speed = arguments.value(0).toDouble();
  if (!(speed >= Chaser::kMinSpeed && speed <= Chaser::kMaxSpeed)) {
    return dbus::invalidArgument("SetSpeed takes a speed from 0.25 to 4, not " +
                                 QString::number(speed) + ".");
  }
  return run([this, speed] { chaser_.setSpeed(speed); });
}

std::optional<dbus::BusError> ChaserBus::click(int pattern) {
  if (clickPattern(chaser_, pattern)) return std::nullopt;
  return dbus::failed("The chaser is ending after an error; start it again.");
}

std::optional<dbus::BusError> ChaserBus::run(const std::function<void()>& work) {
  if (qt::runStepWork(work)) return std::nullopt;
  return dbus::failed("The chaser is ending after an error; start it again.");
}

}  // namespace velmo::chaser
