// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/chaser.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "chaser/interval_text.h"
#include "ini/text_encoding.h"
#include "system/run_time_error.h"

namespace velmo::chaser {
namespace {

// stepByte of Timer1 ... Timer22, in order.
constexpr std::array<int, 22> kStepBytes = {
    1,   2,  4,  8,   16, 32,  64, 128,  // Timer1 ... Timer8: line 1 to line 8
    128, 64, 32, 16,  8,  4,   2,  1,    // Timer9 ... Timer16: line 8 back to line 1
    24,  0,  24, 231, 0,  231,           // Timer17 ... Timer22: centre pair, outer lines
};

// exampleInterval of Timer1 ... Timer24, as the example Velmo1.ini has them.
constexpr std::array<int, Chaser::kTimerCount> kExampleIntervals = {
    100, 200,  300,  400,  500,  600,  700,  800,   // Timer1 ... Timer8
    900, 1000, 1100, 1200, 1300, 1400, 1500, 1600,  // Timer9 ... Timer16
    130, 260,  380,  500,  700,  900,               // Timer17 ... Timer22
    500, 620,                                       // Timer23, Timer24
};

}  // namespace

std::string Chaser::intervalSection(int number) {
  return "timer" + std::to_string(number);
}

std::string Chaser::intervalKey(int number) {
  return number == 1 ? "tiden" : "tiden" + std::to_string(number - 1);
}

int Chaser::stepByte(int number) {
  return kStepBytes.at(static_cast<std::size_t>(number - 1));
}

int Chaser::exampleInterval(int number) {
  return kExampleIntervals.at(static_cast<std::size_t>(number - 1));
}

Chaser::Chaser(TimerScheduler& scheduler, Port& port, std::string programFolder, IniReader readIni)
    : scheduler_(scheduler),
      port_(port),
      programFolder_(std::move(programFolder)),
      readIni_(std::move(readIni)),
      userStep_(scheduler, [this] { userStep_Timer(); }) {
  for (int number = 1; number <= kTimerCount; ++number) {
    timers_[number - 1] = std::make_unique<WindowTimer>(scheduler, handlerOf(number));
  }
}

WindowTimer& Chaser::timer(int number) {
  return *timers_.at(static_cast<std::size_t>(number - 1));
}

void Chaser::Form_Load() {
  port_.PortOut(kDataPort, 0);
  for (int number = 1; number <= kTimerCount; ++number) {
    loadInterval(number, IniPath(programFolder_, kSettingsFile));
  }
}

void Chaser::loadInterval(int number, const std::string& path) {
  const std::string section = intervalSection(number);
  const std::string key = intervalKey(number);
  const std::string text = readIni_(section, key, path);
  const std::optional<std::int32_t> value = intervalFromText(text);
  if (value && *value >= 0 && *value <= WindowTimer::kMaxInterval) {
    timer(number).setInterval(*value);
    return;
  }
  const std::string message = path + " [" + section + "] " + key + " = " +
                              withVisibleControls(text) + ": a step time must be 0 to " +
                              std::to_string(WindowTimer::kMaxInterval) + " ms";
  if (!value) throw OverflowError(message);
  throw InvalidPropertyValue(message);
}

void Chaser::Command1_Click() {
  startPattern(1);
}
void Chaser::Command2_Click() {
  startPattern(2);
}
void Chaser::Command3_Click() {
  startPattern(3);
}
void Chaser::Command4_Click() {
  startPattern(0);
}

void Chaser::startPattern(int pattern) {
  // Stopping the group too, not only the other patterns, makes a click on the
  // running pattern start it afresh: timers still counting would otherwise
  // keep their old phase while the fired ones start from the click.
  scheduler_.runHandler([&] {
    port_.PortOut(kDataPort, 0);
    setEnabled(kStepTimers, false);
    userStep_.setEnabled(false);
    if (pattern <= kPatternCount) {
      playing_.reset();
      setEnabled(kPatternTimers[static_cast<std::size_t>(pattern)], true);
    } else {
      startUserSteps();
    }
  });
  setPattern(pattern);
}

void Chaser::setPattern(int pattern) {
  if (pattern == pattern_) return;
  pattern_ = pattern;
  for (const auto& observer : patternChanged_) observer(pattern_);
}

void Chaser::click(int number) {
  if (!hasPattern(number)) {
    throw std::out_of_range("no pattern " + std::to_string(number));
  }
  if (number <= kPatternCount) return (this->*kClickOfPattern[static_cast<std::size_t>(number)])();
  playing_ = *std::find_if(userPatterns_.begin(), userPatterns_.end(),
                           [&](const UserPattern& p) { return p.number == number; });
  startPattern(number);
}

bool Chaser::hasPattern(int number) const {
  if (number >= 0 && number <= kPatternCount) return true;
  return std::any_of(userPatterns_.begin(), userPatterns_.end(),
                     [&](const UserPattern& p) { return p.number == number; });
}

std::vector<Chaser::PatternEntry> Chaser::patterns() const {
  std::vector<PatternEntry> entries;
  for (int number = 1; number <= kPatternCount; ++number) {
    entries.push_back({number, dbus::kChaserButtons[static_cast<std::size_t>(number)]});
  }
  for (const UserPattern& pattern : userPatterns_)
    entries.push_back({pattern.number, pattern.name});
  return entries;
}

std::string Chaser::noSuchPattern(long long number) const {
  std::string numbers;
  for (const PatternEntry& entry : patterns()) {
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(entry.number);
  }
  return "No pattern " + std::to_string(number) + ": the chaser's patterns are " + numbers + ".";
}

void Chaser::setUserPatterns(std::vector<UserPattern> patterns) {
  userPatterns_ = std::move(patterns);
  if (playing_) {
    const auto same = std::find_if(userPatterns_.begin(), userPatterns_.end(),
                                   [&](const UserPattern& p) { return p.number == pattern_; });
    if (same == userPatterns_.end()) {
      Command4_Click();
    } else {
      replacePlaying(*same);
    }
  }
  for (const auto& observer : patternsChanged_) observer();
}

void Chaser::preview(const UserPattern& draft) {
  if (playing_ && pattern_ == draft.number) return replacePlaying(draft);
  playing_ = draft;
  startPattern(draft.number);
}

void Chaser::replacePlaying(const UserPattern& pattern) {
  playing_ = pattern;
  nextStep_ %= pattern.steps.size();
}

void Chaser::startUserSteps() {
  nextStep_ = 0;
  userStep_.setInterval(playing_->times.front());
  userStep_.setEnabled(true);
}

void Chaser::userStep_Timer() {
  port_.PortOut(kDataPort, playing_->steps[nextStep_]);
  nextStep_ = (nextStep_ + 1) % playing_->steps.size();
  // Restarted, so that the next countdown has the next step's time and
  // counts from the instant this step was due.
  userStep_.setEnabled(false);
  userStep_.setInterval(playing_->times[nextStep_]);
  userStep_.setEnabled(true);
}

void Chaser::setSpeed(double speed) {
  if (!(speed >= kMinSpeed && speed <= kMaxSpeed)) {
    throw std::invalid_argument("the speed must be 0.25 to 4");
  }
  if (speed == speed_) return;
  speed_ = speed;
  scheduler_.setRate(speed);
  for (const auto& observer : speedChanged_) observer(speed_);
}

void Chaser::Tap() {
  const std::optional<Instant> beat = tapTempo_.tap(scheduler_.clock().now());
  const double stepTime = meanStepTime();
  if (!beat || stepTime <= 0) return;
  const double beatMs = std::chrono::duration<double, std::milli>(*beat).count();
  setSpeed(std::clamp(stepTime / beatMs, kMinSpeed, kMaxSpeed));
}

double Chaser::meanStepTime() const {
  if (playing_) return playing_->meanStepTime();
  if (pattern_ == 0) return 0;
  const TimerRange group = kPatternTimers[static_cast<std::size_t>(pattern_)];
  // The restart timer's interval is the length of the cycle.
  return timers_[static_cast<std::size_t>(group.last - 1)]->interval() /
         static_cast<double>(group.last - group.first + 1);
}

void Chaser::setEnabled(TimerRange timers, bool enabled) {
  for (int number = timers.first; number <= timers.last; ++number) {
    timer(number).setEnabled(enabled);
  }
}

std::function<void()> Chaser::handlerOf(int number) {
  switch (number) {
    case 8:
      return [this] { Timer8_Timer(); };
    case 16:  // Timer16_Timer
      return [this] { fireAndRestart(kPattern2); };
    case 20:
      return [this] { Timer20_Timer(); };
    case 22:  // Timer22_Timer
      return [this] { fireAndRestart(kPattern3); };
    case 23:
    case 24:
      return [] {};
    default:
      return [this, number] { fireOnce(number); };
  }
}

void Chaser::fireOnce(int number) {
  port_.PortOut(kDataPort, stepByte(number));
  timer(number).setEnabled(false);
}

void Chaser::fireAndRestart(TimerRange group) {
  fireOnce(group.last);
  setEnabled(group, true);
}

void Chaser::Timer8_Timer() {
  // Timer8 ends the cycle of "Løpelys 1" but only the first half of
  // "Løpelys 2". Restarting Timer1 ... Timer8 while Timer16 is still due
  // would run the first half again on top of the second and scramble the
  // sweep back, so then Timer16 alone restarts the group.
  const WindowTimer& timer16 = timer(16);
  const bool timer16RestartsGroup = timer16.enabled() && timer16.interval() > 0;
  if (timer16RestartsGroup) {
    fireOnce(8);
  } else {
    fireAndRestart(kPattern1);
  }
}

void Chaser::Timer20_Timer() {
  // The centre pair goes dark, steps of Timer17 ... Timer19 that are still
  // due are dropped from this cycle, then the outer lines light.
  port_.PortOut(kDataPort, 0);
  setEnabled({17, 19}, false);
  fireOnce(20);
}

}  // namespace velmo::chaser
