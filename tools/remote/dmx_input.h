// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <string>

#include "tools/remote/bus_programs.h"
#include "tools/remote/command_runner.h"
#include "tools/remote/dmx_personality.h"
#include "tools/remote/link_presence.h"
#include "tools/remote/remote_options.h"

struct OlaPortReceiver;

namespace velmo::remote {

struct OlaInputModule;

// A lighting desk's universe as a front of the remote: the frames of the
// source's universe, taken from olad through the OLA module
// (libvelmoport-ola.so beside the program, loaded here), make the commands
// of the remote's DMX personality, which run through the CommandRunner as
// every front's do. olad that is away ends nothing: the module registers
// again once it is back, and the remote says on standard error when the
// input is lost and back. A program that starts gets the desk's levels of
// that moment.
class DmxInput : public QObject {
  Q_OBJECT

 public:
  // Starts taking the frames. Throws std::runtime_error that says what to
  // install when the module cannot be loaded.
  DmxInput(const DmxSource& source, CommandRunner& commands, BusPrograms& programs,
           QObject* parent = nullptr);
  ~DmxInput() override;

  // Where the input comes from, for people.
  std::string notice() const;

 private:
  static void onFrame(void* self, const std::uint8_t* channels, std::uint32_t count);
  static void onPresence(void* self, int away, const char* why);
  void take(const QByteArray& levels);
  void programsChanged();

  DmxSource source_;
  CommandRunner& commands_;
  BusPrograms& programs_;
  DmxPersonality personality_;
  QByteArray levels_;  // the personality's channels of the last frame
  LinkPresence presence_;
  bool chaserRunning_;
  bool panelRunning_;
  const OlaInputModule& module_;
  OlaPortReceiver* receiver_;
};

}  // namespace velmo::remote
