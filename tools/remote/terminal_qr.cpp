// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/terminal_qr.h"

#include <qrencode.h>

#include <memory>

namespace velmo::remote {
namespace {

constexpr int kQuietZone = 2;

// Glyphs for a pair of module rows: index bit 1 = upper light, bit 0 = lower light.
constexpr const char* kHalfBlocks[] = {" ", "\u2584", "\u2580", "\u2588"};

}  // namespace

std::string terminalQr(const std::string& text) {
  const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
      QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
  if (!code) return {};
  const int width = code->width;
  const auto light = [&](int row, int column) {
    row -= kQuietZone;
    column -= kQuietZone;
    if (row < 0 || column < 0 || row >= width || column >= width) return true;
    return (code->data[row * width + column] & 1) == 0;
  };
  const int size = width + 2 * kQuietZone;
  std::string drawing;
  for (int row = 0; row < size; row += 2) {
    for (int column = 0; column < size; ++column)
      drawing += kHalfBlocks[(light(row, column) ? 2 : 0) | (light(row + 1, column) ? 1 : 0)];
    drawing += '\n';
  }
  return drawing;
}

}  // namespace velmo::remote
