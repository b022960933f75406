// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/section_rewrite.h"

#include <algorithm>
#include <optional>

#include "ini/text_encoding.h"

namespace velmo {
namespace {

constexpr std::string_view kBlanks = " \t\v\f\x1A";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class Form { kBytes, kUtf16Le, kUtf16Be };

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// One line: its bytes with the line end, and its text as UTF-8 without it.
struct Line {
  std::string_view raw;
  std::string text;
  bool windows1252 = false;
};

enum class Kind { kBlank, kComment, kHeader, kKey };

struct LineKind {
  Kind kind;
  std::string name;  // of a header
};

// As the reader sees the line: a "[" line without "]" holds no key either.
LineKind kindOf(std::string_view text) {
  const std::string_view start =
      text.substr(std::min(text.find_first_not_of(kBlanks), text.size()));
  if (start.empty()) return {Kind::kBlank, {}};
  if (start.front() == ';') return {Kind::kComment, {}};
  if (start.front() != '[') return {Kind::kKey, {}};
  const auto close = start.rfind(']');
  if (close == std::string_view::npos) return {Kind::kComment, {}};
  const std::string_view name = start.substr(1, close - 1);
  return {Kind::kHeader, std::string(trimmed(name.substr(0, name.find('\0'))))};
}

std::u32string folded(std::string_view utf8) {
  std::u32string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    out.push_back(foldCase(nextCodePoint(utf8, pos, TextEncoding::Utf8)));
  }
  return out;
}

class FileText {
 public:
  explicit FileText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) form_ = Form::kUtf16Le;
    if (bytes.starts_with("\xFE\xFF")) form_ = Form::kUtf16Be;
    if (form_ == Form::kBytes) {
      splitBytes(bytes);
    } else {
      splitUtf16(bytes);
    }
  }

  const std::vector<Line>& lines() const { return lines_; }
  const std::string& lineEnd() const { return lineEnd_; }

  // UTF-8 text as the file writes new lines.
  std::string encoded(std::string_view utf8) const {
    if (form_ == Form::kBytes) return hasWindows1252_ ? asWindows1252(utf8) : std::string(utf8);
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
      const char32_t c = nextCodePoint(utf8, pos, TextEncoding::Utf8);
      if (c >= 0x10000) {
        appendUnit(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        appendUnit(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        appendUnit(out, static_cast<char16_t>(c));
      }
    }
    return out;
  }

  // True when bytes (of this file) end with a line end.
  bool endsLine(std::string_view bytes) const {
    const std::size_t unit = form_ == Form::kBytes ? 1 : 2;
    if (bytes.size() < unit) return false;
    const std::string_view last = bytes.substr(bytes.size() - unit);
    return last == encoded("\n") || last == encoded("\r");
  }

 private:
  void splitBytes(std::string_view bytes) {
    for (std::size_t start = 0; start < bytes.size();) {
      std::size_t end = bytes.find_first_of("\r\n", start);
      const std::size_t textEnd = std::min(end, bytes.size());
      if (end != std::string_view::npos) {
        end += bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        if (lineEnd_.empty()) lineEnd_ = bytes.substr(textEnd, end - textEnd);
      } else {
        end = bytes.size();
      }
      std::string_view text = bytes.substr(start, textEnd - start);
      if (start == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
      const TextEncoding encoding = encodingOf(text);
      hasWindows1252_ |= encoding == TextEncoding::Windows1252;
      lines_.push_back({bytes.substr(start, end - start), toUtf8(text, encoding),
                        encoding == TextEncoding::Windows1252});
      start = end;
    }
    if (lineEnd_.empty()) lineEnd_ = "\n";
  }

  char16_t unitAt(std::string_view bytes, std::size_t pos) const {
    const auto first = static_cast<unsigned char>(bytes[pos]);
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    return static_cast<char16_t>(form_ == Form::kUtf16Le ? first | second << 8
                                                         : first << 8 | second);
  }

  void splitUtf16(std::string_view bytes) {
    const auto order = form_ == Form::kUtf16Le ? Utf16Decoder::ByteOrder::LittleEndian
                                               : Utf16Decoder::ByteOrder::BigEndian;
    std::string ends;
    for (std::size_t start = 0; start < bytes.size();) {
      std::size_t textEnd = start == 0 ? 2 : start;  // after the byte-order mark
      const std::size_t textStart = textEnd;
      while (textEnd + 1 < bytes.size() && unitAt(bytes, textEnd) != u'\n' &&
             unitAt(bytes, textEnd) != u'\r') {
        textEnd += 2;
      }
      std::size_t end = textEnd;
      ends.clear();
      if (textEnd + 1 < bytes.size()) {
        ends += static_cast<char>(unitAt(bytes, textEnd));
        end += 2;
        if (ends == "\r" && end + 1 < bytes.size() && unitAt(bytes, end) == u'\n') {
          ends += '\n';
          end += 2;
        }
        if (lineEnd_.empty()) lineEnd_ = ends;
      } else {
        textEnd = end = bytes.size();  // an odd last byte belongs to the last line
      }
      Utf16Decoder decoder(order);
      std::string text;
      decoder.feed(bytes.substr(textStart, textEnd - textStart), text);
      decoder.finish(text);
      lines_.push_back({bytes.substr(start, end - start), std::move(text)});
      start = end;
    }
    if (lineEnd_.empty()) lineEnd_ = "\n";
  }

  void appendUnit(std::string& out, char16_t unit) const {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += form_ == Form::kUtf16Le ? std::string{low, high} : std::string{high, low};
  }

  static std::string asWindows1252(std::string_view utf8) {
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
      const char32_t c = nextCodePoint(utf8, pos, TextEncoding::Utf8);
      std::optional<unsigned char> byte;
      if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) byte = static_cast<unsigned char>(c);
      for (unsigned b = 0x80; b <= 0x9F && !byte; ++b) {
        if (windows1252ToUnicode(static_cast<unsigned char>(b)) == c) {
          byte = static_cast<unsigned char>(b);
        }
      }
      if (!byte) return std::string(utf8);  // a line of UTF-8 reads as well
      out += static_cast<char>(*byte);
    }
    return out;
  }

  Form form_ = Form::kBytes;
  bool hasWindows1252_ = false;
  std::string lineEnd_;
  std::vector<Line> lines_;
};

std::string valueText(std::string value) {
  std::replace_if(
      value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, ' ');
  const bool trimmedAway = !value.empty() && (kBlanks.find(value.front()) != std::string::npos ||
                                              kBlanks.find(value.back()) != std::string::npos);
  const bool unquoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
  return trimmedAway || unquoted ? "\"" + value + "\"" : value;
}

// Walks the file's lines into the new bytes.
class Rewriter {
 public:
  Rewriter(const FileText& file, const std::function<bool(std::string_view)>& replaced,
           const std::vector<SectionEntries>& sections)
      : file_(file), replaced_(replaced), sections_(sections), written_(sections.size()) {}

  std::string run() {
    for (const Line& line : file_.lines()) onLine(line);
    closeSection();
    std::string rest;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      if (written_[i]) continue;
      const bool separate = insertAfterContent_ || !rest.empty() || (!insertAt_ && !lastBlank_);
      if (separate && !(out_.empty() && rest.empty())) rest += file_.lineEnd();
      rest += "[" + sections_[i].name + "]" + file_.lineEnd() + entriesText(sections_[i]);
    }
    // Where a section went, the next line follows as it followed that one.
    if (insertAt_ && !insertAfterContent_ && !rest.empty()) rest += file_.lineEnd();
    if (rest.empty()) return out_;
    const std::size_t at = insertAt_.value_or(out_.size());
    std::string lead =
        !file_.endsLine(std::string_view(out_).substr(0, at)) && at > 0 ? file_.lineEnd() : "";
    out_.insert(at, file_.encoded(lead + rest));
    return out_;
  }

 private:
  void onLine(const Line& line) {
    const LineKind kind = kindOf(line.text);
    if (kind.kind == Kind::kHeader) return onHeader(line, kind.name);
    if (!inReplaced_) return keep(line, kind.kind);
    if (kind.kind == Kind::kKey) {
      if (target_) writeEntries(out_.size());
      if (!dropping_) contentEnd_ = out_.size();
      droppedTail_.clear();
      return;
    }
    // Comments after a section's last key belong to what follows it, so a
    // section that goes leaves them.
    if (dropping_) return droppedTail_.push_back({&line, kind.kind});
    keep(line, kind.kind);
  }

  void onHeader(const Line& line, const std::string& name) {
    closeSection();
    inReplaced_ = replaced_(name);
    if (!inReplaced_) return keep(line, Kind::kHeader);
    const std::u32string wanted = folded(name);
    for (std::size_t i = 0; i < sections_.size() && !target_; ++i) {
      if (!written_[i] && folded(sections_[i].name) == wanted) {
        written_[i] = true;
        target_ = &sections_[i];
      }
    }
    dropping_ = target_ == nullptr;
    if (!dropping_) keep(line, Kind::kHeader);
    afterHeader_ = contentEnd_ = out_.size();
  }

  void closeSection() {
    if (!inReplaced_) return;
    if (target_) writeEntries(afterHeader_);
    if (!dropping_ || !insertAt_) {
      insertAt_ = contentEnd_;
      insertAfterContent_ = !dropping_;
    }
    const auto comment = std::find_if(droppedTail_.begin(), droppedTail_.end(),
                                      [](const TailLine& l) { return l.kind == Kind::kComment; });
    for (auto l = comment; l != droppedTail_.end(); ++l) keep(*l->line, l->kind);
    droppedTail_.clear();
    inReplaced_ = false;
  }

  void writeEntries(std::size_t at) {
    const bool needsBreak = at > 0 && !file_.endsLine(std::string_view(out_).substr(0, at));
    const std::string text =
        file_.encoded((needsBreak ? file_.lineEnd() : "") + entriesText(*target_));
    out_.insert(at, text);
    if (contentEnd_ >= at) contentEnd_ += text.size();
    target_ = nullptr;
  }

  std::string entriesText(const SectionEntries& section) const {
    std::string text;
    for (const auto& [key, value] : section.entries) {
      text += key + "=" + valueText(value) + file_.lineEnd();
    }
    return text;
  }

  void keep(const Line& line, Kind kind) {
    out_ += line.raw;
    lastBlank_ = kind == Kind::kBlank;
  }

  const FileText& file_;
  const std::function<bool(std::string_view)>& replaced_;
  const std::vector<SectionEntries>& sections_;
  std::vector<bool> written_;
  std::string out_;
  bool inReplaced_ = false;
  bool dropping_ = false;
  const SectionEntries* target_ = nullptr;  // entries still to write in this section
  std::size_t afterHeader_ = 0;
  std::size_t contentEnd_ = 0;  // after the header or the entries of a section written
  struct TailLine {
    const Line* line;
    Kind kind;
  };
  std::vector<TailLine> droppedTail_;  // after the last key of a section that goes
  // Where the sections not written yet go: after the last section written,
  // or where the last one that went stood.
  std::optional<std::size_t> insertAt_;
  bool insertAfterContent_ = false;
  bool lastBlank_ = true;  // the last line kept was blank (or there was none)
};

}  // namespace

std::string rewriteSections(std::string_view fileBytes,
                            const std::function<bool(std::string_view name)>& replaced,
                            const std::vector<SectionEntries>& sections) {
  const FileText file(fileBytes);
  return Rewriter(file, replaced, sections).run();
}

}  // namespace velmo
