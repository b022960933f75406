// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/naive_cascade.h"

#include "chaser/chaser.h"

namespace velmo::bench {

NaiveCascade::NaiveCascade(Port& port, const PatternGroup& group) : port_(port), group_(group) {
  for (std::size_t index = 0; index < group_.timers.size(); ++index) {
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setInterval(chaser::Chaser::exampleInterval(group_.timers[index].number));
    QObject::connect(timer.get(), &QTimer::timeout, [this, index] { fire(index); });
    timers_.push_back(std::move(timer));
  }
}

void NaiveCascade::start() {
  port_.PortOut(kDataPort, 0);
  for (auto& timer : timers_) timer->start();
}

void NaiveCascade::stop() {
  for (auto& timer : timers_) timer->stop();
}

// Timer20's handler also disables Timer17 ... Timer19, which have fired by
// then with growing intervals: nothing to do here.
void NaiveCascade::fire(std::size_t index) {
  for (std::uint8_t value : group_.timers[index].bytes) port_.PortOut(kDataPort, value);
  if (index + 1 == timers_.size()) {
    for (auto& timer : timers_) timer->start();
  }
}

}  // namespace velmo::bench
