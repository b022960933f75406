// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/http_exchange.h"

#include <algorithm>

namespace velmo::remote {

std::optional<std::string_view> HttpRequest::field(std::string_view name) const {
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const HttpField& each) { return each.name == name; });
  if (found == fields.end()) return std::nullopt;
  return found->value;
}

std::size_t HttpRequest::count(std::string_view name) const {
  return static_cast<std::size_t>(std::count_if(
      fields.begin(), fields.end(), [&](const HttpField& each) { return each.name == name; }));
}

}  // namespace velmo::remote
