#pragma once

#include <memory>
#include <string>

#include "chaser/chaser.h"
#include "platform/qt/form.h"

namespace velmo::chaser {

// The chaser's window: the picture and the buttons "Løpelys 1",
// "Løpelys 2", "Løpelys 3" and "Deaktiver" in one row, each click running
// its handler of the Chaser. Layout and wiring only.
class Form1 : public qt::Form {
 public:
  // The real program: CLOCK_MONOTONIC timers driven from the Qt event loop,
  // the port library beside the program and the settings in its folder.
  // Throws RunTimeError when the program folder cannot be found.
  Form1();

  // A window around borrowed parts (tests): scheduler and port must outlive it.
  Form1(TimerScheduler& scheduler, Port& port, std::string programFolder,
        IniReader readIni = ReadIniString);

  ~Form1() override;

  // Clears the port and loads the step times; call before show(). Throws
  // RunTimeError for a step time out of range.
  void Form_Load() { chaser_.Form_Load(); }

  Chaser& chaser() { return chaser_; }

 private:
  struct OwnDevices;
  explicit Form1(std::unique_ptr<OwnDevices> devices);
  void addButtons();

  std::unique_ptr<OwnDevices> devices_;  // only in the real program
  Chaser chaser_;
};

}  // namespace velmo::chaser
