#pragma once

#include <QIcon>
#include <QWidget>
#include <cstdint>

namespace velmo::qt {

// Opaque 32-bit handles for the windows and icons that a NotifyIconData
// record names, so the record can carry them like the shell's handles. A
// handle is never 0 and never names both a window and an icon. Main thread
// only.

// The handle of window (the same one on every call for the same window).
std::uint32_t handleOfWindow(QWidget* window);

// The window of a handle; nullptr for an unknown handle or a destroyed window.
QWidget* windowOfHandle(std::uint32_t handle);

// The handle of icon (the same one for copies of the same icon).
std::uint32_t handleOfIcon(const QIcon& icon);

// The icon of a handle; a null icon for an unknown handle.
QIcon iconOfHandle(std::uint32_t handle);

}  // namespace velmo::qt
