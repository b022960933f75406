// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace velmo::remote {

// Where the API answers. Everything under kApiPrefix needs the token in
// token mode; the page's own files hold nothing secret and load without it.
inline constexpr std::string_view kApiPrefix = "/api/";
inline constexpr std::string_view kStatePath = "/api/v1/state";
inline constexpr std::string_view kChaserPath = "/api/v1/chaser";
inline constexpr std::string_view kLinesPath = "/api/v1/lines/";  // followed by the line, 1 to 8
// The push channel: a WebSocket, the one path that takes an upgrade. A
// browser cannot give a WebSocket an Authorization field, so here the token
// may also come as ?token=.
inline constexpr std::string_view kEventsPath = "/api/v1/events";

}  // namespace velmo::remote
