// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/dmx_input.h"

#include <QPointer>
#include <algorithm>
#include <span>
#include <stdexcept>

#include "port/backends/ola/ola_module.h"
#include "system/paths.h"
#include "system/shared_object.h"
#include "system/standard_error.h"

namespace velmo::remote {

// The module's entries that take frames.
struct OlaInputModule {
  decltype(&OlaPortReceive) receive;
  decltype(&OlaPortStopReceiving) stop;
  decltype(&OlaPortError) error;
};

namespace {

constexpr SharedObjectRole kOlaModuleRole{.name = "OLA module, which --dmx-in needs,",
                                          .ifMissing = VELMO_OLA_MODULE_IF_MISSING,
                                          .ifUnusable = VELMO_OLA_MODULE_IF_UNUSABLE,
                                          .ifNeedsLibrary = VELMO_OLA_MODULE_IF_NEEDS_LIBRARY};

const OlaInputModule& olaInputModule() {
  try {
    return keptLoaded(programFolder() + "/" VELMO_OLA_MODULE_NAME, kOlaModuleRole,
                      [](const SharedObject& object) {
                        return OlaInputModule{VELMO_ENTRY(object, OlaPortReceive),
                                              VELMO_ENTRY(object, OlaPortStopReceiving),
                                              VELMO_ENTRY(object, OlaPortError)};
                      });
  } catch (const RunTimeError& failure) {
    throw std::runtime_error(failure.what());
  }
}

}  // namespace

DmxInput::DmxInput(const DmxSource& source, CommandRunner& commands, BusPrograms& programs,
                   QObject* parent)
    : QObject(parent),
      source_(source),
      commands_(commands),
      programs_(programs),
      presence_("DMX input",
                "The lines and the chaser stay as they are; the remote takes the desk's frames "
                "again as soon as olad is back."),
      chaserRunning_(programs.chaser().running),
      panelRunning_(programs.panel().running),
      module_(olaInputModule()),
      receiver_(module_.receive(source.universe, source.rpcPort, &onFrame, &onPresence, this)) {
  if (!receiver_) throw std::runtime_error(module_.error());
  connect(&programs_, &BusPrograms::changed, this, &DmxInput::programsChanged);
}

DmxInput::~DmxInput() {
  module_.stop(receiver_);
}

std::string DmxInput::notice() const {
  return "DMX input from universe " + std::to_string(source_.universe) + ", channels " +
         std::to_string(source_.firstChannel) + " to " +
         std::to_string(source_.firstChannel + DmxPersonality::kChannels - 1) +
         ", through olad on RPC port " + std::to_string(source_.rpcPort) + "\n";
}

// On the receiver's thread: hands the personality's channels to the event
// loop.
void DmxInput::onFrame(void* self, const std::uint8_t* channels, std::uint32_t count) {
  auto* input = static_cast<DmxInput*>(self);
  const std::uint32_t first = input->source_.firstChannel - 1;
  const std::uint32_t end = std::min(count, first + DmxPersonality::kChannels);
  const QByteArray levels = first < end
                                ? QByteArray(reinterpret_cast<const char*>(channels) + first,
                                             static_cast<qsizetype>(end - first))
                                : QByteArray();
  QMetaObject::invokeMethod(
      input, [input, levels] { input->take(levels); }, Qt::QueuedConnection);
}

void DmxInput::onPresence(void* self, int away, const char* why) {
  auto* input = static_cast<DmxInput*>(self);
  const std::string reason(why);
  QMetaObject::invokeMethod(
      input,
      [input, away, reason] {
        const auto now = LinkPresence::Clock::now();
        if (const auto line =
                away ? input->presence_.lost(reason, now) : input->presence_.back(now))
          tellOnStandardError(*line);
      },
      Qt::QueuedConnection);
}

void DmxInput::take(const QByteArray& levels) {
  levels_ = levels;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(levels.constData());
  for (const Command& command :
       personality_.take({bytes, static_cast<std::size_t>(levels.size())})) {
    commands_.run(command, [self = QPointer(this), command](const BusPrograms::Outcome& outcome) {
      // A dropped command is tried again with the next frame.
      if (self && outcome && outcome->status == 429) self->personality_.forget(command);
    });
  }
}

void DmxInput::programsChanged() {
  const bool chaser = programs_.chaser().running;
  const bool panel = programs_.panel().running;
  const bool started = (chaser && !chaserRunning_) || (panel && !panelRunning_);
  if (panel && !panelRunning_) personality_.forgetLines();
  if (chaser && !chaserRunning_) personality_.forget(ChaserCommand{});
  chaserRunning_ = chaser;
  panelRunning_ = panel;
  if (started) take(levels_);
}

}  // namespace velmo::remote
