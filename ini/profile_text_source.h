// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ini/profile_search.h"
#include "ini/text_encoding.h"

namespace velmo {

// The bytes of a settings file as the line scanner reads them. A leading
// UTF-8 byte-order mark is dropped. A file that starts with a UTF-16
// byte-order mark (FF FE little-endian, FE FF big-endian) comes out as UTF-8,
// transcoded piece by piece (see Utf16Decoder for damaged UTF-16). Any other
// file comes out as it is.
class ProfileTextSource : public ByteSource {
 public:
  // Reads file, which must outlive this source.
  explicit ProfileTextSource(ByteSource& file) : file_(file) {}

  std::string_view next() override;
  bool failed() const override { return file_.failed(); }

  // True, once the first piece is out, when all pieces are well-formed UTF-8
  // (a transcoded UTF-16 file), so that their lines need no checking.
  bool allUtf8() const { return utf16_.has_value(); }

 private:
  std::string_view start();
  std::string_view transcoded(std::string_view bytes);

  ByteSource& file_;
  bool started_ = false;
  std::string head_;                   // the first bytes, when the first pieces are short
  std::optional<Utf16Decoder> utf16_;  // set for a UTF-16 file
  std::string buffer_;                 // the last piece of UTF-8 transcoded
};

}  // namespace velmo
