// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo {

// How the bytes of a settings file (or an argument) are to be read.
enum class TextEncoding { Utf8, Windows1252 };

// Decides, piece by piece, whether a byte stream is well-formed UTF-8 (no
// overlong forms, no surrogates, nothing above U+10FFFF). NUL is valid.
class Utf8Validator {
 public:
  // Checks the next piece. Returns false once the stream is known to be
  // invalid; further pieces are then ignored.
  bool feed(std::string_view bytes);

  // True when everything fed so far is valid and ends on a whole character.
  bool validSoFarAndComplete() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;                         // continuation bytes still expected
  unsigned char low_ = 0x80, high_ = 0xBF;  // range of the next continuation byte
};

// True when text is well-formed UTF-8 as a whole.
bool isValidUtf8(std::string_view text);

// The Unicode character of a Windows-1252 byte; the five bytes that code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the same code point.
char32_t windows1252ToUnicode(unsigned char byte);

// Decodes UTF-16 handed over in pieces into UTF-8. A code unit or a
// surrogate pair split between pieces is joined; an unpaired surrogate, and
// an odd byte left at the end, decode to U+FFFD.
class Utf16Decoder {
 public:
  enum class ByteOrder { LittleEndian, BigEndian };
  explicit Utf16Decoder(ByteOrder order) : order_(order) {}

  // Appends to out the UTF-8 of the characters that bytes complete.
  void feed(std::string_view bytes, std::string& out);

  // Ends the input: appends U+FFFD for what was left incomplete.
  void finish(std::string& out);

 private:
  // Writes what unit completes at out; returns the end of what it wrote.
  char* onCodeUnit(char16_t unit, char* out);

  ByteOrder order_;
  int pendingByte_ = -1;        // first byte of a code unit cut between pieces
  char16_t highSurrogate_ = 0;  // waiting for its low half; 0 when none
};

// Decodes the character that starts at text[pos] and moves pos past it.
// Under Utf8, a byte that does not start a well-formed sequence is read as
// Windows-1252, so any bytes decode.
// Precondition: pos < text.size().
char32_t nextCodePoint(std::string_view text, std::size_t& pos, TextEncoding encoding);

// Appends the UTF-8 form of codePoint.
void appendUtf8(std::string& out, char32_t codePoint);

// text as UTF-8: bytes decoded under encoding, then at most maxCodePoints
// characters kept.
std::string toUtf8(std::string_view text, TextEncoding encoding,
                   std::size_t maxCodePoints = std::string::npos);

// The encoding of a whole argument: UTF-8 when valid, else Windows-1252.
TextEncoding encodingOf(std::string_view text);

// The case-insensitive form used to compare names: ASCII and Latin-1 capitals
// and the Windows-1252 capitals Š, Ž, Œ, Ÿ map to their small letters.
char32_t foldCase(char32_t codePoint);

// Number of bytes at the end of text that begin a UTF-8 sequence but do not
// complete it (0 when text ends on a whole character).
std::size_t incompleteUtf8Tail(std::string_view text);

// text (UTF-8) fit to be quoted in a message: each control character but the
// tab and the line break becomes its Unicode control picture (NUL U+2400,
// ESC U+241B, DEL U+2421) and each C1 control U+FFFD, so that bytes taken
// from a file can neither cut the message short nor steer a terminal.
std::string withVisibleControls(std::string_view text);

}  // namespace velmo
