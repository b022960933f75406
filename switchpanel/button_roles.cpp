// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/button_roles.h"

#include <array>
#include <cassert>

namespace velmo::switchpanel {

std::string captionSection(int button) {
  assert(button >= 1 && button <= kButtonCount);
  return "Utgang" + std::to_string(lineOfButton(button)) +
         (isActivateButton(button) ? "høy" : "lav");
}

std::string captionKey(int button) {
  assert(button >= 1 && button <= kButtonCount);
  return "command" + std::to_string(button);
}

const std::string& designCaption(int button) {
  static const std::array<std::string, kButtonCount> captions = {
      "Aktiver vifte 1",  "Deaktiver vifte 1",  "Aktiver vifte 2",    "Deaktiver vifte 2",
      "Aktiver vifte 3",  "Deaktiver vifte 3",  "Aktiver vifte 4",    "Deaktiver vifte 4",
      "Aktiver neonlys",  "Deaktiver neonlys",  "Aktiver blacklight", "Deaktiver blacklight",
      "Aktiver utgang 7", "Deaktiver utgang 7", "Aktiver utgang 8",   "Deaktiver utgang 8",
  };
  assert(button >= 1 && button <= kButtonCount);
  return captions[button - 1];
}

}  // namespace velmo::switchpanel
