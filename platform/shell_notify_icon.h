#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velmo {

// Messages of Shell_NotifyIcon.
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;

// uFlags: which of uCallbackMessage, hIcon and szTip are valid.
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

// The NOTIFYICONDATA record in its first-version layout: one notification-
// area icon of a window. Handles are opaque 32-bit values that the window
// layer hands out.
struct NotifyIconData {
  static constexpr std::uint32_t kVersion1Size = 88;
  static constexpr std::size_t kTipLength = 64;  // characters, NUL included

  std::uint32_t cbSize = 0;
  std::uint32_t hWnd = 0;  // window that receives the callback message
  std::uint32_t uID = 0;   // the icon's identifier within that window
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uint32_t hIcon = 0;
  std::u32string szTip = std::u32string(kTipLength, U'\0');  // always kTipLength characters
};

// A tip field: text cut to 63 characters, a NUL, then spaces up to 64.
std::u32string tipField(std::u32string text);

// The 88 bytes the single-byte shell call receives: six little-endian 32-bit
// fields in declaration order, then szTip as 64 Windows-1252 bytes (a
// character that code page lacks becomes '?').
std::array<std::uint8_t, NotifyIconData::kVersion1Size> version1Bytes(const NotifyIconData& data);

// The tip as the shell shows it: szTip through Windows-1252 and back, up to
// the first NUL, as UTF-8.
std::string tipText(const NotifyIconData& data);

// Stand-in for the shell's notification area.
class ShellNotifyIcon {
 public:
  virtual ~ShellNotifyIcon() = default;

  // NIM_ADD shows the icon that data describes (fails if the window already
  // shows one with that uID, or there is no notification area); NIM_DELETE
  // removes the icon of data's hWnd and uID (fails if there is none).
  // Returns whether it succeeded; callers may ignore the result.
  virtual bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
};

}  // namespace velmo
