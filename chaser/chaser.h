#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/timer_scheduler.h"
#include "platform/window_timer.h"
#include "shared/port.h"
#include "shared/settings.h"

namespace velmo {

// The light chaser without a screen: the four buttons' handlers, the 24 step
// timers and their handlers, driven by a scheduler and writing to a port.
class Chaser {
 public:
  static constexpr int kTimerCount = 24;
  static constexpr const char* kSettingsFile = "Velmo1.ini";

  Chaser(TimerScheduler& scheduler, Port& port, std::string programFolder,
         IniReader readIni = ReadIniString);

  // Clears the port, then loads the 24 intervals from Velmo1.ini. Throws
  // RunTimeError naming the file, section, key and value when a value is not
  // a step time (0 to 65535 ms); nothing more is written then.
  void Form_Load();

  void Command1_Click();  // "Løpelys 1"
  void Command2_Click();  // "Løpelys 2"
  void Command3_Click();  // "Løpelys 3"
  void Command4_Click();  // "Deaktiver"

  // Timer1 ... Timer24.
  WindowTimer& timer(int number);
};

}  // namespace velmo
