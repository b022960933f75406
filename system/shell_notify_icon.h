#pragma once

#include <cstdint>
#include <string>

namespace velmo {

// Messages of Shell_NotifyIcon.
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_DELETE = 2;

// uFlags: which of uCallbackMessage, the icon and szTip are valid.
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// Window messages that report mouse activity over a notification-area icon.
inline constexpr std::uint32_t WM_MOUSEMOVE = 512;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 513;
inline constexpr std::uint32_t WM_LBUTTONUP = 514;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 515;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 516;
inline constexpr std::uint32_t WM_RBUTTONUP = 517;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 518;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 519;
inline constexpr std::uint32_t WM_MBUTTONUP = 520;
inline constexpr std::uint32_t WM_MBUTTONDBLCLK = 521;

// The window of an icon: it receives the icon's reports.
class NotifyIconWindow {
 public:
  virtual ~NotifyIconWindow() = default;

  // One report of mouse activity over the icon: message is the record's
  // uCallbackMessage, report the window message of that mouse event
  // (WM_LBUTTONDBLCLK for a left double-click).
  virtual void notifyIconReport(std::uint32_t message, std::uint32_t report) = 0;
};

// One notification-area icon of a window (the NOTIFYICONDATA record).
struct NotifyIconData {
  NotifyIconWindow* hWnd = nullptr;  // receives the reports; outlives the icon
  std::uint32_t uID = 0;             // the icon's identifier within that window
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::string szTip;      // UTF-8
  std::string menuEntry;  // UTF-8 caption of the icon's one menu entry; "": no menu
};

// Stand-in for the shell's notification area.
class ShellNotifyIcon {
 public:
  virtual ~ShellNotifyIcon() = default;

  // NIM_ADD shows the icon that data describes (fails if the window already
  // shows one with that uID, or there is no notification area); NIM_DELETE
  // removes the icon of data's hWnd and uID (fails if there is none).
  // While an icon is shown, each mouse event over it reaches hWnd as a
  // report with uCallbackMessage (NIF_MESSAGE), and choosing its menu entry
  // reports a left double-click. Returns whether it succeeded; callers may
  // ignore the result.
  virtual bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
};

}  // namespace velmo
