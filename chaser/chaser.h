// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chaser/tap_tempo.h"
#include "chaser/user_pattern.h"
#include "dbus/chaser_facts.h"
#include "ini/settings.h"
#include "port_client/port.h"
#include "timers/timer_scheduler.h"
#include "timers/window_timer.h"

namespace velmo::chaser {

// The light chaser without a screen: the four buttons' handlers, the 24 step
// timers and their handlers, driven by a scheduler and writing to a port.
//
// A pattern is a group of one-shot step timers that all start counting when
// the pattern starts; each writes its byte to the data port when its interval
// (an offset from the start of the cycle) has run out and disables itself.
// The group's restart timer (Timer8, Timer16, Timer22) enables the group
// again, so the pattern repeats until another button is clicked.
//
// Patterns of the user's own (4 to 99) run on one more step timer of the
// same scheduler, each step counting from the instant the one before was due.
// The speed is the scheduler's rate (TimerScheduler::setRate), so the chaser
// needs a scheduler of its own.
class Chaser {
 public:
  static constexpr int kTimerCount = 24;
  static constexpr const char* kSettingsFile = "Velmo1.ini";

  // scheduler and port must outlive the chaser. Settings are read from
  // kSettingsFile in programFolder through readIni.
  Chaser(TimerScheduler& scheduler, Port& port, std::string programFolder,
         IniReader readIni = ReadIniString);
  Chaser(const Chaser&) = delete;
  Chaser& operator=(const Chaser&) = delete;

  // Clears the port, then loads the 24 intervals from Velmo1.ini. Throws
  // RunTimeError naming the file, section, key and value when a value is not
  // a step time (0 to 65535 ms); nothing more is written then.
  void Form_Load();

  // Each writes 0 and stops every step timer; a pattern button then starts
  // its group from the click, afresh also when that pattern already runs.
  void Command1_Click();  // "Løpelys 1"
  void Command2_Click();  // "Løpelys 2"
  void Command3_Click();  // "Løpelys 3"
  void Command4_Click();  // "Deaktiver"

  // The click that starts pattern 1 to 3, and "Deaktiver"'s at index 0: every
  // way of starting or stopping a pattern from outside runs these.
  static constexpr std::array<void (Chaser::*)(), 4> kClickOfPattern = {
      &Chaser::Command4_Click, &Chaser::Command1_Click, &Chaser::Command2_Click,
      &Chaser::Command3_Click};
  static constexpr int kPatternCount = static_cast<int>(dbus::kChaserButtons.size()) - 1;

  // The user's patterns, in number order, as the settings give them. A
  // running user pattern that is changed goes on with its new steps from the
  // next step; one that is gone stops as with "Deaktiver".
  void setUserPatterns(std::vector<UserPattern> patterns);
  const std::vector<UserPattern>& userPatterns() const { return userPatterns_; }

  // Every pattern there is, the three built in first, then the user's.
  struct PatternEntry {
    int number;
    std::string name;
    bool operator==(const PatternEntry&) const = default;
  };
  std::vector<PatternEntry> patterns() const;
  bool hasPattern(int number) const;
  // Why a pattern number to start names none: "No pattern 7: the chaser's
  // patterns are 1, 2, 3, 4."
  std::string noSuchPattern(long long number) const;

  // The click of pattern number's button, and "Deaktiver"'s for 0. Throws
  // std::out_of_range for a number hasPattern() does not know.
  void click(int number);

  // Plays draft as its pattern's button would, for an editor: afresh when
  // another pattern runs, else going on with draft's steps from the next
  // step. pattern() is draft's number meanwhile.
  void preview(const UserPattern& draft);

  // The speed factor: every step time is divided by it, from the next step
  // on (see TimerScheduler::setRate). Throws std::invalid_argument outside
  // kMinSpeed ... kMaxSpeed.
  static constexpr double kMinSpeed = dbus::kMinSpeed;
  static constexpr double kMaxSpeed = dbus::kMaxSpeed;
  void setSpeed(double speed);
  double speed() const { return speed_; }

  // A tap of the tempo: from the second of taps less than TapTempo::kMaxGap
  // apart, sets the speed (within its limits) so that one step of the
  // running pattern lasts, on average, the tapped beat. Nothing changes while
  // no pattern runs.
  void Tap();

  // The pattern the last click started, 1 to 3, or 0 before the first click
  // and after "Deaktiver".
  int pattern() const { return pattern_; }

  // Observers, each called (in the order added) after a click that changed
  // pattern(), with its new value; after setUserPatterns(); after a change of
  // speed(), with it.
  void onPatternChanged(std::function<void(int pattern)> observer) {
    patternChanged_.push_back(std::move(observer));
  }
  void onPatternsChanged(std::function<void()> observer) {
    patternsChanged_.push_back(std::move(observer));
  }
  void onSpeedChanged(std::function<void(double speed)> observer) {
    speedChanged_.push_back(std::move(observer));
  }

  // Timer1 ... Timer24. Throws std::out_of_range for any other number.
  WindowTimer& timer(int number);

  // Where Timer<number> finds its step time in kSettingsFile: section
  // "timer<number>", key "tiden" for Timer1, else "tiden<number - 1>".
  static std::string intervalSection(int number);
  static std::string intervalKey(int number);
  // The byte Timer1 ... Timer22 writes when it fires (Timer20 writes 0
  // first), and the step time in ms that the example kSettingsFile gives
  // Timer1 ... Timer24. Both throw std::out_of_range for other numbers.
  static int stepByte(int number);
  static int exampleInterval(int number);

 private:
  // Timers first ... last, in ascending order; empty when last < first.
  struct TimerRange {
    int first;
    int last;
  };
  static constexpr TimerRange kPattern1{1, 8};     // "Løpelys 1", restarted by Timer8
  static constexpr TimerRange kPattern2{1, 16};    // "Løpelys 2", restarted by Timer16
  static constexpr TimerRange kPattern3{17, 22};   // "Løpelys 3", restarted by Timer22
  static constexpr TimerRange kStepTimers{1, 22};  // Timer23 and Timer24 are in no pattern
  static constexpr TimerRange kNoTimers{1, 0};
  // The timers of pattern 1 to 3, and at index 0 none.
  static constexpr std::array<TimerRange, 4> kPatternTimers = {kNoTimers, kPattern1, kPattern2,
                                                               kPattern3};

  std::function<void()> handlerOf(int number);
  void Timer8_Timer();
  void Timer20_Timer();
  // A plain step: writes the timer's byte, then disables the timer.
  void fireOnce(int number);
  // A restart timer: its step, then enables its whole group again.
  void fireAndRestart(TimerRange group);
  // Writes 0, disables every step timer, then enables the pattern's timers
  // (none for 0), so each of them counts from the click as from idle.
  void startPattern(int pattern);
  void setEnabled(TimerRange timers, bool enabled);
  void loadInterval(int number, const std::string& path);
  // Starts playing_ from its first step; its handler writes each step.
  void startUserSteps();
  void userStep_Timer();
  // Goes on with pattern in place of playing_ from the next step.
  void replacePlaying(const UserPattern& pattern);
  void setPattern(int pattern);
  // The mean step time in ms at speed 1 of a running pattern; 0 for none.
  double meanStepTime() const;

  TimerScheduler& scheduler_;
  Port& port_;
  std::string programFolder_;
  IniReader readIni_;
  std::array<std::unique_ptr<WindowTimer>, kTimerCount> timers_;
  WindowTimer userStep_;
  std::vector<UserPattern> userPatterns_;
  std::optional<UserPattern> playing_;  // the user pattern running
  std::size_t nextStep_ = 0;            // of playing_
  int pattern_ = 0;
  double speed_ = 1;
  TapTempo tapTempo_;
  std::vector<std::function<void(int)>> patternChanged_;
  std::vector<std::function<void()>> patternsChanged_;
  std::vector<std::function<void(double)>> speedChanged_;
};

}  // namespace velmo::chaser
