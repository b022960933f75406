// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/profile_text_source.h"

namespace velmo {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

}  // namespace

std::string_view ProfileTextSource::next() {
  if (!started_) return start();
  return utf16_ ? transcoded({}) : file_.next();
}

// Tells the file's byte-order mark from its first piece and hands out what
// follows the mark.
std::string_view ProfileTextSource::start() {
  started_ = true;
  std::string_view piece = file_.next();
  if (piece.size() < kUtf8Bom.size()) {
    // Only tests hand out pieces this short: gather enough to tell the mark.
    head_.assign(piece);
    while (!piece.empty() && head_.size() < kUtf8Bom.size()) {
      piece = file_.next();
      head_.append(piece);
    }
    piece = head_;
  }
  if (piece.starts_with(kUtf8Bom)) {
    piece.remove_prefix(kUtf8Bom.size());
  } else if (piece.starts_with(kUtf16LeBom) || piece.starts_with(kUtf16BeBom)) {
    utf16_.emplace(piece.starts_with(kUtf16LeBom) ? Utf16Decoder::ByteOrder::LittleEndian
                                                  : Utf16Decoder::ByteOrder::BigEndian);
    return transcoded(piece.substr(kUtf16LeBom.size()));
  }
  return piece.empty() ? file_.next() : piece;
}

// The UTF-8 of bytes and, as an empty piece would end the input, of as many
// further pieces as it takes to complete a character (a piece may be a
// single byte).
std::string_view ProfileTextSource::transcoded(std::string_view bytes) {
  buffer_.clear();
  utf16_->feed(bytes, buffer_);
  while (buffer_.empty()) {
    bytes = file_.next();
    if (bytes.empty()) {
      utf16_->finish(buffer_);
      break;
    }
    utf16_->feed(bytes, buffer_);
  }
  return buffer_;
}

}  // namespace velmo
