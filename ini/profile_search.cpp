// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/profile_search.h"

#include <cstdint>
#include <cstring>
#include <set>

#include "ini/profile_text_source.h"
#include "ini/text_encoding.h"

namespace velmo {
namespace {

// What is stripped around names and values: space, tab, vertical tab, form
// feed, and Ctrl-Z (with which DOS editors end a file).
constexpr std::string_view kBlanks = " \t\v\f\x1A";

bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ' && kBlanks.find(c) != std::string_view::npos;
}
bool isQuote(char c) {
  return c == '"' || c == '\'';
}

std::string_view trimLeft(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view trimRight(std::string_view text) {
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A name as the file or an argument gives it: it ends at a NUL, and blanks
// around it do not count.
std::string_view trimmedName(std::string_view text) {
  return trimRight(trimLeft(text.substr(0, text.find('\0'))));
}

bool hasNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

// A section or key name to look for, held case-folded.
class FoldedName {
 public:
  explicit FoldedName(std::string_view argument) {
    const TextEncoding encoding = encodingOf(argument);  // judged whole, as a line is
    argument = trimmedName(argument);
    for (std::size_t pos = 0; pos < argument.size();)
      folded_.push_back(foldCase(nextCodePoint(argument, pos, encoding)));
  }

  bool empty() const { return folded_.empty(); }
  const std::u32string& folded() const { return folded_; }

  // True when the name from the file, decoded under encoding, is this name
  // in any case.
  bool matches(std::string_view name, TextEncoding encoding) const {
    std::size_t pos = 0;
    for (const char32_t wanted : folded_) {
      if (pos == name.size() || foldCase(nextCodePoint(name, pos, encoding)) != wanted)
        return false;
    }
    return pos == name.size();
  }

 private:
  std::u32string folded_;
};

// The bytes up to the first LF or CR, or all of them.
struct LineSpan {
  std::size_t end;  // position of the LF or CR, or the size of the bytes
  bool ascii;       // no byte before end is above 0x7F
};

// Looks at eight bytes at a time, as every lookup splits the whole file into
// lines and learns whether each is UTF-8.
LineSpan lineSpan(std::string_view bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
  const auto hasZeroByte = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
  std::uint64_t seen = 0;
  std::size_t pos = 0;
  for (; bytes.size() - pos >= sizeof(std::uint64_t); pos += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + pos, sizeof word);
    if (hasZeroByte(word ^ (kOnes * '\n')) || hasZeroByte(word ^ (kOnes * '\r'))) break;
    seen |= word;
  }
  for (; pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r'; ++pos)
    seen |= static_cast<unsigned char>(bytes[pos]);
  return {pos, (seen & kHighBits) == 0};
}

// One line of the file: the kept prefix, how to decode it, and what lies
// beyond it.
struct Line {
  std::string_view kept;
  TextEncoding encoding;  // UTF-8 when the whole line is valid UTF-8
  bool tailHasText;       // non-blank bytes follow beyond the kept prefix, before any NUL
  char tailLast;          // the last of them
  bool tailHasBracket;    // a "]" lies beyond the kept prefix
};

// Splits the input into lines and applies the profile rules, keeping at most
// kMaxKeptLineBytes of any line.
class ProfileScanner {
 public:
  // allUtf8: the input is known to be well-formed UTF-8 throughout.
  ProfileScanner(const FoldedName& section, const FoldedName& key, bool allUtf8)
      : section_(section), key_(key), allUtf8_(allUtf8) {
    line_.reserve(kMaxKeptLineBytes);
  }

  // Lists the sections and their keys into listing instead of looking for
  // one value.
  ProfileScanner(std::vector<ProfileSection>& listing, bool allUtf8)
      : ProfileScanner(kNoName, kNoName, allUtf8) {
    listing_ = &listing;
  }

  // Takes the next piece of input; returns false once the answer is known.
  bool feed(std::string_view bytes) {
    while (!done_ && !bytes.empty()) {
      const LineSpan span = lineSpan(bytes);
      append(bytes.substr(0, span.end), span.ascii);
      if (span.end == bytes.size()) break;
      endLine();
      bytes.remove_prefix(span.end + 1);
    }
    return !done_;
  }

  // Ends the input; the last line needs no line end.
  void finish() {
    if (!done_) endLine();
  }

  std::optional<std::string> result() const { return result_; }

 private:
  enum class Place { BeforeFirstSection, OtherSection, WantedSection };

  void append(std::string_view bytes, bool ascii) {
    // ASCII leaves a line that is whole UTF-8 so far as it is.
    if (!allUtf8_ && (!ascii || !utf8_.validSoFarAndComplete())) utf8_.feed(bytes);
    if (!cut_) {
      const std::size_t room = kMaxKeptLineBytes - line_.size();
      line_.append(bytes.substr(0, room));
      if (bytes.size() <= room) return;
      bytes.remove_prefix(room);
      cut_ = true;
    }
    noteTail(bytes);
  }

  void noteTail(std::string_view bytes) {
    if (bytes.find(']') != std::string_view::npos) tailHasBracket_ = true;
    if (tailNul_) return;
    const auto nul = bytes.find('\0');
    tailNul_ = nul != std::string_view::npos;
    const auto last = bytes.substr(0, nul).find_last_not_of(kBlanks);
    if (last == std::string_view::npos) return;
    tailHasText_ = true;
    tailLast_ = bytes[last];
  }

  void endLine() {
    Line line{line_, utf8_.validSoFarAndComplete() ? TextEncoding::Utf8 : TextEncoding::Windows1252,
              tailHasText_, tailLast_, tailHasBracket_};
    // Never keep half a character: the rest of it counts as tail.
    const std::size_t half =
        cut_ && line.encoding == TextEncoding::Utf8 ? incompleteUtf8Tail(line_) : 0;
    if (half > 0) {
      if (!line.tailHasText) line.tailLast = line_.back();
      line.tailHasText = true;
      line.kept.remove_suffix(half);
    }
    onLine(line);
    line_.clear();
    utf8_ = Utf8Validator();
    cut_ = tailHasText_ = tailNul_ = tailHasBracket_ = false;
  }

  void onLine(const Line& line) {
    const std::string_view text = trimLeft(line.kept);
    if (text.empty() || text.front() == ';') return;
    if (text.front() == '[') {
      onBracketLine(text.substr(1), line);
    } else if (place_ == Place::WantedSection) {
      onEntry(text, line);
    }
  }

  // A section header, when the line has a "]": the name runs to the last
  // one. A line without one is ignored.
  void onBracketLine(std::string_view afterBracket, const Line& line) {
    const auto close = line.tailHasBracket ? afterBracket.size() : afterBracket.rfind(']');
    if (close == std::string_view::npos) return;
    if (place_ == Place::WantedSection && !listing_) {
      done_ = true;  // only the first section of that name counts
      return;
    }
    const std::string_view name = afterBracket.substr(0, close);
    const bool nameEndsInKept = !line.tailHasBracket || hasNul(name);
    if (listing_) {
      listSection(nameEndsInKept ? trimmedName(name) : std::string_view(), line.encoding);
      return;
    }
    place_ = nameEndsInKept && section_.matches(trimmedName(name), line.encoding)
                 ? Place::WantedSection
                 : Place::OtherSection;
  }

  // A key line: a name, then "=" and the value; without "=", a key whose
  // value is empty.
  void onEntry(std::string_view text, const Line& line) {
    const auto equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const bool nameEndsInKept =
        equals != std::string_view::npos || hasNul(name) || !line.tailHasText;
    if (listing_) {
      if (nameEndsInKept && !trimmedName(name).empty())
        listing_->back().keys.push_back(toUtf8(trimmedName(name), line.encoding));
      return;
    }
    if (!nameEndsInKept || !key_.matches(trimmedName(name), line.encoding)) return;
    result_ = equals == std::string_view::npos ? "" : valueOf(text.substr(equals + 1), line);
    done_ = true;
  }

  // The value text: it ends at a NUL; blanks trimmed, then one pair of
  // matching outer quotes removed.
  std::string valueOf(std::string_view raw, const Line& line) const {
    const auto nul = raw.find('\0');
    raw = trimLeft(raw.substr(0, nul));
    if (nul != std::string_view::npos || !line.tailHasText) {
      raw = trimRight(raw);
      if (raw.size() >= 2 && isQuote(raw.front()) && raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
      }
    } else if (!raw.empty() && isQuote(raw.front()) && line.tailLast == raw.front()) {
      raw.remove_prefix(1);  // its closing quote lies beyond the kept prefix
    }
    return toUtf8(raw, line.encoding);
  }

  // A section of the listing: its keys are listed when it is the first of
  // its name, as only that one is ever searched.
  void listSection(std::string_view name, TextEncoding encoding) {
    place_ = Place::OtherSection;
    if (name.empty()) return;
    const std::string utf8 = toUtf8(name, encoding);
    if (!listedNames_.insert(FoldedName(utf8).folded()).second) return;
    listing_->push_back({utf8, {}});
    place_ = Place::WantedSection;
  }

  static inline const FoldedName kNoName{""};

  const FoldedName& section_;
  const FoldedName& key_;
  std::vector<ProfileSection>* listing_ = nullptr;
  std::set<std::u32string> listedNames_;
  const bool allUtf8_;
  Place place_ = Place::BeforeFirstSection;
  std::string line_;
  Utf8Validator utf8_;  // of the whole line so far
  bool cut_ = false;
  bool tailHasText_ = false;
  bool tailNul_ = false;  // a NUL lies beyond the kept prefix
  bool tailHasBracket_ = false;
  char tailLast_ = 0;
  bool done_ = false;
  std::optional<std::string> result_;
};

}  // namespace

std::vector<ProfileSection> listProfileSections(ByteSource& source) {
  std::vector<ProfileSection> listing;
  ProfileTextSource text(source);
  std::string_view piece = text.next();
  ProfileScanner scanner(listing, text.allUtf8());
  for (; !piece.empty(); piece = text.next()) scanner.feed(piece);
  if (text.failed()) return {};
  scanner.finish();
  return listing;
}

std::optional<std::string> findProfileValue(ByteSource& source, std::string_view section,
                                            std::string_view key) {
  const FoldedName wantedSection(section), wantedKey(key);
  if (wantedSection.empty() || wantedKey.empty()) return std::nullopt;

  ProfileTextSource text(source);
  std::string_view piece = text.next();
  ProfileScanner scanner(wantedSection, wantedKey, text.allUtf8());
  for (; !piece.empty(); piece = text.next()) {
    if (!scanner.feed(piece)) return scanner.result();
  }
  if (text.failed()) return std::nullopt;
  scanner.finish();
  return scanner.result();
}

}  // namespace velmo
