// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_head.h"

#include <algorithm>
#include <charconv>

namespace velmo::remote {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kMaxContentLengthDigits = 15;

Refusal badRequest(std::string message) {
  return {400, std::move(message)};
}

bool isTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// Bytes a value may hold: visible characters, spaces, tabs and UTF-8.
bool isFieldText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 0x20 && byte != 0x7f);
  });
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return lower;
}

bool linesEndInCrLf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  while (!text.empty()) {
    const auto end = text.find(kLineEnd);
    result.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + kLineEnd.size());
  }
  return result;
}

std::optional<Refusal> readRequestLine(std::string_view line, RequestHead& head) {
  const auto firstSpace = line.find(' ');
  const auto lastSpace = line.rfind(' ');
  if (firstSpace == std::string_view::npos || firstSpace == lastSpace)
    return badRequest("the request line must be METHOD TARGET HTTP/1.1");
  head.method = line.substr(0, firstSpace);
  head.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  head.version = line.substr(lastSpace + 1);
  if (!isToken(head.method)) return badRequest("the method is not a word");
  if (!head.target.starts_with('/') || head.target.find_first_of(" \t") != std::string::npos ||
      !isFieldText(head.target))
    return badRequest("the target must be a path starting with /");
  if (head.version != "HTTP/1.1" && head.version != "HTTP/1.0")
    return {{505, "only HTTP/1.0 and HTTP/1.1 are spoken here"}};
  return std::nullopt;
}

std::optional<Refusal> readField(std::string_view line, RequestHead& head) {
  const auto colon = line.find(':');
  if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
    return badRequest("a header field must be NAME: VALUE, on one line");
  const std::string_view value = trimmed(line.substr(colon + 1));
  if (!isFieldText(value)) return badRequest("a header field holds a control character");
  head.fields.push_back({lowercase(line.substr(0, colon)), std::string(value)});
  return std::nullopt;
}

std::optional<Refusal> checkFraming(const RequestHead& head) {
  if (head.count("host") != 1) return badRequest("a request needs exactly one Host field");
  if (head.count("transfer-encoding") != 0)
    return {{501, "send the body with Content-Length, not Transfer-Encoding"}};
  if (head.count("content-length") > 1) return badRequest("Content-Length is given twice");
  if (const auto length = head.field("content-length")) {
    const bool digits =
        !length->empty() && length->size() <= kMaxContentLengthDigits &&
        std::all_of(length->begin(), length->end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return badRequest("Content-Length must be a number of bytes");
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string_view> RequestHead::field(std::string_view name) const {
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const Field& field) { return field.name == name; });
  if (found == fields.end()) return std::nullopt;
  return found->value;
}

std::size_t RequestHead::count(std::string_view name) const {
  return static_cast<std::size_t>(std::count_if(
      fields.begin(), fields.end(), [&](const Field& field) { return field.name == name; }));
}

std::string_view RequestHead::path() const {
  return std::string_view(target).substr(0, target.find('?'));
}

std::optional<std::string_view> RequestHead::query(std::string_view key) const {
  const auto mark = target.find('?');
  if (mark == std::string::npos) return std::nullopt;
  std::string_view rest = std::string_view(target).substr(mark + 1);
  while (!rest.empty()) {
    const auto amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    const auto equals = pair.find('=');
    if (pair.substr(0, equals) == key)
      return equals == std::string_view::npos ? std::string_view{} : pair.substr(equals + 1);
    rest.remove_prefix(amp == std::string_view::npos ? rest.size() : amp + 1);
  }
  return std::nullopt;
}

std::size_t RequestHead::contentLength() const {
  std::size_t length = 0;
  if (const auto text = field("content-length"))
    std::from_chars(text->data(), text->data() + text->size(), length);
  return length;
}

std::variant<RequestHead, Refusal> parseRequestHead(std::string_view text,
                                                    const RequestLimits& limits) {
  if (!linesEndInCrLf(text)) return badRequest("lines must end in CR LF");
  const std::vector<std::string_view> all = lines(text);
  if (all.empty()) return badRequest("the request is empty");
  if (all.size() - 1 > limits.maxFields)
    return Refusal{
        431, "a request may have " + std::to_string(limits.maxFields) + " header fields at most"};
  RequestHead head;
  if (auto refusal = readRequestLine(all.front(), head)) return *refusal;
  for (std::size_t i = 1; i < all.size(); ++i) {
    if (auto refusal = readField(all[i], head)) return *refusal;
  }
  if (auto refusal = checkFraming(head)) return *refusal;
  return head;
}

}  // namespace velmo::remote
