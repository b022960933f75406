// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <memory>
#include <vector>

#include "bench/example_cascade.h"
#include "port_client/port.h"

namespace velmo::bench {

// A pattern's cascade as a straightforward port to Qt would build it: one
// single-shot QTimer (default, coarse type) per step timer, each countdown
// starting when the code that starts it runs, so every cycle begins when the
// restart handler got to run. Same bytes, same restart rule as the chaser.
class NaiveCascade {
 public:
  // port must outlive the cascade.
  NaiveCascade(Port& port, const PatternGroup& group);

  // The click: writes 0 and starts every step timer of the group.
  void start();
  // Stops every step timer.
  void stop();

 private:
  void fire(std::size_t index);

  Port& port_;
  PatternGroup group_;
  std::vector<std::unique_ptr<QTimer>> timers_;
};

}  // namespace velmo::bench
