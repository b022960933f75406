// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/output_presence.h"

#include <cstdio>

#include "port/register/away_marker.h"

namespace velmo::port {
namespace {

using std::chrono::steady_clock;

// "4.2 s".
std::string secondsText(steady_clock::duration span) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(span).count());
  return text;
}

}  // namespace

OutputPresence::OutputPresence(std::string registerPath, PortNotices& notices)
    : registerPath_(std::move(registerPath)), notices_(notices) {}

OutputPresence::~OutputPresence() {
  if (away()) removeAwayMarker(registerPath_);
}

// The marker changes before the notice goes, so that whoever learns of the
// notice finds the marker as it says.
void OutputPresence::lost(const std::string& reason) {
  writeAwayMarker(registerPath_, reason);
  if (away()) return;
  awaySince_ = steady_clock::now();
  notices_.post("Output lost\n" + reason +
                " The show goes on, and the output takes it up again as soon as it is back.");
}

void OutputPresence::back() {
  if (!away()) return;
  removeAwayMarker(registerPath_);
  notices_.post("Output back\nafter " + secondsText(steady_clock::now() - *awaySince_) +
                " away, showing the lines as they are now.");
  awaySince_.reset();
}

}  // namespace velmo::port
