// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace velmo::switchpanel {

// What the panel's notification-area icon shows besides its picture.
struct TrayIcon {
  std::string tip;           // UTF-8
  std::string restoreEntry;  // UTF-8 caption of the icon's one menu entry
};

// The desktop's notification area as the panel sees it: room for one icon.
class NotificationArea {
 public:
  virtual ~NotificationArea() = default;

  // Shows icon, replacing one shown before. restoreRequested runs each time
  // the user asks for the window back through the icon (its restore click or
  // menu entry), until the icon is removed; it may remove the icon. Returns
  // false, showing nothing, when the desktop has no notification area.
  virtual bool showIcon(const TrayIcon& icon, std::function<void()> restoreRequested) = 0;

  // Removes the icon; nothing when none is shown.
  virtual void removeIcon() = 0;
};

}  // namespace velmo::switchpanel
