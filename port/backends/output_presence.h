// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "port/port_notices.h"

namespace velmo::port {

// Whether output lines reach their device, as the user learns it: a notice
// when they are lost and one when they are back, with how long they were
// away; and meanwhile a marker beside the register they follow (see
// away_marker.h), for the port monitor.
class OutputPresence {
 public:
  // The lines follow the register at registerPath; notices go to notices,
  // which must outlive this.
  OutputPresence(std::string registerPath, PortNotices& notices);
  // Removes the marker.
  ~OutputPresence();
  OutputPresence(const OutputPresence&) = delete;
  OutputPresence& operator=(const OutputPresence&) = delete;

  bool away() const { return awaySince_.has_value(); }

  // The lines cannot reach their device, for reason (a sentence or more):
  // the first time since they did, a notice "Output lost"; every time, the
  // marker holds reason (made anew should its folder have been).
  void lost(const std::string& reason);

  // The lines reach their device again: a notice "Output back" with how
  // long they were away; the marker goes.
  void back();

 private:
  std::string registerPath_;
  PortNotices& notices_;
  std::optional<std::chrono::steady_clock::time_point> awaySince_;
};

}  // namespace velmo::port
