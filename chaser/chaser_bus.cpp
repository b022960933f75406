// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser_bus.h"

#include <QWidget>

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
      },
      std::vector<dbus::BusProperty>{{"Pattern",
                                      [this] {
                                        int pattern = 0;
                                        qt::runStepWork([&] { pattern = chaser_.pattern(); });
                                        return QVariant(uint(pattern));
                                      }}},
      std::move(application));
  const QPointer<QObject> self(object_.get());
  qt::runStepWork([&] {
    chaser_.onPatternChanged([this, self](int) {
      qt::onApplicationThread(self, [this] { object_->propertyMayHaveChanged("Pattern"); });
    });
  });
}

std::optional<dbus::BusError> ChaserBus::start(const QVariantList& arguments) {
  const uint pattern = arguments.value(0).toUInt();
  if (pattern < 1 || pattern > Chaser::kPatternCount) {
    return dbus::invalidArgument("Start takes a pattern from 1 to " +
                                 QString::number(Chaser::kPatternCount) + ", not " +
                                 QString::number(pattern) + ".");
  }
  return click(static_cast<int>(pattern));
}

std::optional<dbus::BusError> ChaserBus::click(int pattern) {
  if (clickPattern(chaser_, pattern)) return std::nullopt;
  return dbus::failed("The chaser is ending after an error; start it again.");
}

}  // namespace velmo::chaser
