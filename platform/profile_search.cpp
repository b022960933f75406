#include "platform/profile_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/text_encoding.h"

namespace velmo {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
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

std::string_view trimBlanks(std::string_view text) {
  return trimRight(trimLeft(text));
}

// A section or key name to look for, held case-folded.
class FoldedName {
 public:
  explicit FoldedName(std::string_view argument) {
    argument = trimBlanks(argument);
    const TextEncoding encoding = encodingOf(argument);
    for (std::size_t pos = 0; pos < argument.size();)
      folded_.push_back(foldCase(nextCodePoint(argument, pos, encoding)));
  }

  bool empty() const { return folded_.empty(); }

  // True when the raw name from the file, decoded under encoding, is this
  // name in any case.
  bool matches(std::string_view raw, TextEncoding encoding) const {
    std::size_t pos = 0;
    for (const char32_t wanted : folded_) {
      if (pos == raw.size() || foldCase(nextCodePoint(raw, pos, encoding)) != wanted) return false;
    }
    return pos == raw.size();
  }

 private:
  std::u32string folded_;
};

// Position of the first LF or CR in bytes, or its size. Looks at eight bytes
// at a time, as every lookup splits the whole file into lines.
std::size_t lineEnd(std::string_view bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
  const auto hasZeroByte = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
  std::size_t pos = 0;
  for (; bytes.size() - pos >= sizeof(std::uint64_t); pos += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + pos, sizeof word);
    if (hasZeroByte(word ^ (kOnes * '\n')) || hasZeroByte(word ^ (kOnes * '\r'))) break;
  }
  while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\r') ++pos;
  return pos;
}

// How to read the source: its encoding and how many BOM bytes to skip.
struct SourceLayout {
  TextEncoding encoding;
  std::size_t bomBytes;
};

// First pass: the whole source is UTF-8 when it is valid UTF-8 (the check
// stops at the first invalid sequence), Windows-1252 otherwise.
std::optional<SourceLayout> inspect(ByteSource& source) {
  if (!source.rewind()) return std::nullopt;
  static constexpr std::string_view kBom = "\xEF\xBB\xBF";
  Utf8Validator validator;
  std::string head;
  for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) {
    if (head.size() < kBom.size()) head.append(piece.substr(0, kBom.size() - head.size()));
    if (!validator.feed(piece)) break;
  }
  if (source.failed()) return std::nullopt;
  const auto encoding =
      validator.validSoFarAndComplete() ? TextEncoding::Utf8 : TextEncoding::Windows1252;
  return SourceLayout{encoding, head == kBom ? kBom.size() : 0};
}

// One line of the file: the kept prefix, and what lies beyond it.
struct Line {
  std::string_view kept;
  bool tailHasText;  // non-blank bytes follow beyond the kept prefix
  char tailLast;     // the last of them
};

// Second pass: splits the input into lines and applies the profile rules,
// keeping at most kMaxKeptLineBytes of any line.
class ProfileScanner {
 public:
  ProfileScanner(const FoldedName& section, const FoldedName& key, SourceLayout layout)
      : section_(section), key_(key), encoding_(layout.encoding), skip_(layout.bomBytes) {
    line_.reserve(kMaxKeptLineBytes);
  }

  // Takes the next piece of input; returns false once the answer is known.
  bool feed(std::string_view bytes) {
    const std::size_t skipped = std::min(skip_, bytes.size());
    bytes.remove_prefix(skipped);
    skip_ -= skipped;
    while (!done_ && !bytes.empty()) {
      const std::size_t end = lineEnd(bytes);
      append(bytes.substr(0, end));
      if (end == bytes.size()) break;
      endLine();
      bytes.remove_prefix(end + 1);
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

  void append(std::string_view bytes) {
    if (!cut_) {
      const std::size_t room = kMaxKeptLineBytes - line_.size();
      line_.append(bytes.substr(0, room));
      if (bytes.size() <= room) return;
      bytes.remove_prefix(room);
      cut_ = true;
      // Never keep half a character: the rest of it counts as tail.
      const std::size_t half = encoding_ == TextEncoding::Utf8 ? incompleteUtf8Tail(line_) : 0;
      if (half > 0) noteTail(line_.substr(line_.size() - half));
      line_.resize(line_.size() - half);
    }
    noteTail(bytes);
  }

  void noteTail(std::string_view bytes) {
    const auto last = bytes.find_last_not_of(" \t");
    if (last == std::string_view::npos) return;
    tailHasText_ = true;
    tailLast_ = bytes[last];
  }

  void endLine() {
    onLine(Line{line_, tailHasText_, tailLast_});
    line_.clear();
    cut_ = tailHasText_ = false;
  }

  void onLine(const Line& line) {
    const std::string_view text = trimLeft(line.kept);
    if (text.empty() || text.front() == ';') return;
    if (text.front() == '[') {
      onSectionHeader(text.substr(1), line);
    } else if (place_ == Place::WantedSection) {
      onEntry(text, line);
    }
  }

  void onSectionHeader(std::string_view afterBracket, const Line& line) {
    if (place_ == Place::WantedSection) {
      done_ = true;  // only the first section of that name counts
      return;
    }
    const auto close = afterBracket.find(']');
    const bool nameKnown = close != std::string_view::npos || !line.tailHasText;
    const std::string_view name = trimBlanks(afterBracket.substr(0, close));
    place_ =
        nameKnown && section_.matches(name, encoding_) ? Place::WantedSection : Place::OtherSection;
  }

  void onEntry(std::string_view text, const Line& line) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) return;
    if (!key_.matches(trimBlanks(text.substr(0, equals)), encoding_)) return;
    result_ = valueOf(text.substr(equals + 1), line);
    done_ = true;
  }

  // The value text: blanks trimmed, one pair of matching outer quotes removed.
  std::string valueOf(std::string_view raw, const Line& line) const {
    raw = trimLeft(raw);
    if (!line.tailHasText) {
      raw = trimRight(raw);
      if (raw.size() >= 2 && isQuote(raw.front()) && raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
      }
    } else if (!raw.empty() && isQuote(raw.front()) && line.tailLast == raw.front()) {
      raw.remove_prefix(1);  // its closing quote lies beyond the kept prefix
    }
    return toUtf8(raw, encoding_);
  }

  const FoldedName& section_;
  const FoldedName& key_;
  const TextEncoding encoding_;
  std::size_t skip_;
  Place place_ = Place::BeforeFirstSection;
  std::string line_;
  bool cut_ = false;
  bool tailHasText_ = false;
  char tailLast_ = 0;
  bool done_ = false;
  std::optional<std::string> result_;
};

}  // namespace

std::optional<std::string> findProfileValue(ByteSource& source, std::string_view section,
                                            std::string_view key) {
  const FoldedName wantedSection(section), wantedKey(key);
  if (wantedSection.empty() || wantedKey.empty()) return std::nullopt;
  const std::optional<SourceLayout> layout = inspect(source);
  if (!layout || !source.rewind()) return std::nullopt;

  ProfileScanner scanner(wantedSection, wantedKey, *layout);
  for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) {
    if (!scanner.feed(piece)) return scanner.result();
  }
  if (source.failed()) return std::nullopt;
  scanner.finish();
  return scanner.result();
}

}  // namespace velmo
