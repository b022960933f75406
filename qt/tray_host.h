// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace velmo::qt {

// The kinds of notification area that QSystemTrayIcon shows icons in on Linux.
enum class TrayHost {
  XEmbed,          // an icon window docked in the panel; reports clicks and double-clicks
  StatusNotifier,  // a StatusNotifierItem on D-Bus; the host sends Activate, never a double-click
};

// The kind Qt uses in this process: StatusNotifier when the session bus's
// org.kde.StatusNotifierWatcher says a host is registered (the question Qt
// asks before it picks its D-Bus tray), else XEmbed. Asked on the first call
// only, as Qt asks only once. Main thread only.
TrayHost currentTrayHost();

}  // namespace velmo::qt
