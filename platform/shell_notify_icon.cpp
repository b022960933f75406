#include "platform/shell_notify_icon.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace velmo {
namespace {

// The Windows-1252 byte of a character, or '?' where that code page has none.
std::uint8_t toWindows1252(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    return static_cast<std::uint8_t>(character);
  }
  for (unsigned byte = 0x80; byte < 0xA0; ++byte) {
    if (windows1252ToUnicode(static_cast<unsigned char>(byte)) == character) {
      return static_cast<std::uint8_t>(byte);
    }
  }
  return '?';
}

std::array<std::uint8_t, NotifyIconData::kTipLength> tipBytes(const NotifyIconData& data) {
  std::array<std::uint8_t, NotifyIconData::kTipLength> bytes{};
  for (std::size_t i = 0; i < bytes.size() && i < data.szTip.size(); ++i) {
    bytes[i] = toWindows1252(data.szTip[i]);
  }
  return bytes;
}

}  // namespace

std::u32string tipField(std::u32string text) {
  text.resize(std::min(text.size(), NotifyIconData::kTipLength - 1));
  text.push_back(U'\0');
  text.resize(NotifyIconData::kTipLength, U' ');
  return text;
}

std::array<std::uint8_t, NotifyIconData::kVersion1Size> version1Bytes(const NotifyIconData& data) {
  std::array<std::uint8_t, NotifyIconData::kVersion1Size> bytes{};
  std::size_t at = 0;
  for (std::uint32_t field :
       {data.cbSize, data.hWnd, data.uID, data.uFlags, data.uCallbackMessage, data.hIcon}) {
    for (int shift = 0; shift < 32; shift += 8) bytes[at++] = (field >> shift) & 0xFF;
  }
  for (std::uint8_t byte : tipBytes(data)) bytes[at++] = byte;
  return bytes;
}

std::string tipText(const NotifyIconData& data) {
  std::string text;
  for (std::uint8_t byte : tipBytes(data)) {
    if (byte == 0) break;
    appendUtf8(text, windows1252ToUnicode(byte));
  }
  return text;
}

}  // namespace velmo
