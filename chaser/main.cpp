// SPDX-License-Identifier: GPL-3.0-or-later
#include <QWidget>
#include <memory>
#include <string>

#include "chaser/chaser.h"
#include "chaser/chaser_bus.h"
#include "chaser/form1.h"
#include "chaser/pattern_editor.h"
#include "chaser/pattern_file.h"
#include "chaser/usage.h"
#include "dbus/program_bus.h"
#include "dbus/programs.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/port_notice_relay.h"
#include "qt/program_life.h"
#include "qt/realtime_priority.h"
#include "qt/step_thread.h"
#include "system/paths.h"
#include "system/run_time_error.h"
#include "system/standard_error.h"

namespace {

using namespace velmo;

// Where the patterns are kept: Velmo1.ini beside the program, and the user's
// own patterns.ini (see pattern_file.h for which wins).
chaser::PatternPlaces patternPlaces() {
  const std::string userFolder = userSettingsFolder();
  return {IniPath(programFolder(), chaser::Chaser::kSettingsFile),
          userFolder.empty() ? "" : userFolder + "/" + chaser::kUserPatternFile};
}

// Starts the pattern the command line asked for, once the user's patterns
// are in; one the chaser does not have ends it with the numbers it has.
void startAskedFor(chaser::Chaser& chaser, int pattern) {
  if (!chaser.hasPattern(pattern)) {
    throw RunTimeError("--pattern " + std::to_string(pattern) + ": " +
                       chaser.noSuchPattern(pattern));
  }
  chaser.click(pattern);
}

}  // namespace

int main(int argc, char* argv[]) {
  const qt::ProgramStart start(argc, argv, chaser::kUsage, dbus::kChaser.service);
  if (start.exitStatus()) return *start.exitStatus();

  // Declared in the order they are made, so they go in the reverse order;
  // the chaser goes on the step thread (below), before that thread.
  std::unique_ptr<qt::StepThread> steps;
  std::unique_ptr<LibraryPort> port;
  std::unique_ptr<qt::PortNoticeRelay> notices;
  std::unique_ptr<chaser::Chaser> chaser;
  std::unique_ptr<chaser::Form1> window;
  std::unique_ptr<chaser::PatternEditor> editor;
  std::unique_ptr<chaser::ChaserBus> bus;
  const int status = qt::runMainWindow([&]() -> QWidget* {
    steps = std::make_unique<qt::StepThread>();
    port = std::make_unique<LibraryPort>();
    notices = std::make_unique<qt::PortNoticeRelay>(*port);
    chaser = std::make_unique<chaser::Chaser>(steps->scheduler(), *port, programFolder());
    window = std::make_unique<chaser::Form1>(*chaser);
    const chaser::PatternPlaces places = patternPlaces();
    window->onEditPatterns([&, places] {
      if (!editor) editor = std::make_unique<chaser::PatternEditor>(*chaser, places, window.get());
      editor->show();
      editor->raise();
      editor->activateWindow();
    });
    bus = std::make_unique<chaser::ChaserBus>(*chaser, *window);
    const int pattern = chaser::patternAskedFor(start.commandLine());
    if (!dbus::serveOnSessionBus(bus->object(), dbus::kChaser, port->target())) {
      if (pattern) chaser::startInRunningChaser(port->target(), pattern);
      return nullptr;
    }
    qt::closeOnTerminationSignals(*window);
    if (!qt::runStepWork([&] { chaser->Form_Load(); })) return nullptr;
    const chaser::LoadedPatterns loaded =
        chaser::loadUserPatterns(chaser::patternFileToRead(places));
    for (const std::string& problem : loaded.problems) tellOnStandardError(problem);
    qt::runStepWork([&] { chaser->setUserPatterns(loaded.patterns); });
    window->showPatternProblems(loaded.problems);
    if (pattern) qt::runStepWork([&] { startAskedFor(*chaser, pattern); });
    // After the first write, so that the port library's output threads are there.
    qt::raiseStepWorkToRealTime(steps->threadId());
    return window.get();
  });
  bus.reset();
  editor.reset();
  window.reset();
  if (steps) steps->run([&] { chaser.reset(); });
  return status;
}
