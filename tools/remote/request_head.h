// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmo::remote {

// A request that is refused before it reaches the server: the HTTP status
// and a message for people that says what is wrong.
struct Refusal {
  int status;
  std::string message;

  bool operator==(const Refusal&) const = default;
};

// The request line and header fields of an HTTP/1.x request.
struct RequestHead {
  struct Field {
    std::string name;  // lowercase
    std::string value;
  };
  std::string method;
  std::string target;   // as sent: path and query
  std::string version;  // "HTTP/1.1"
  std::vector<Field> fields;

  // The value of the first field called name (lowercase), nothing when absent.
  std::optional<std::string_view> field(std::string_view name) const;
  std::size_t count(std::string_view name) const;
  // The target up to its query.
  std::string_view path() const;
  // The value of key in the target's query, as sent; nothing when absent.
  std::optional<std::string_view> query(std::string_view key) const;
  // The body's length from Content-Length, 0 without one.
  std::size_t contentLength() const;
};

// How big a request may be. Qt HttpServer 6.4 keeps whatever a client sends
// in memory, so these bound what a client can make the remote hold.
struct RequestLimits {
  std::size_t maxHeadBytes = 8192;  // request line and fields, with their line ends
  std::size_t maxFields = 32;
  std::size_t maxBodyBytes = 4096;
};

// Takes apart a complete head: text runs up to and without the empty line
// that ends it, each line ending in CRLF. Refuses (400) a malformed request
// line or field, a lone CR or LF, a control character, a folded line, an
// HTTP version other than 1.0 and 1.1, a missing or repeated Host, and a
// Content-Length that is not one decimal number; 431 with more than
// limits.maxFields fields; 501 for Transfer-Encoding, since a body must
// come with its length. Those rules leave one way to read the head, so a
// request is framed by the server exactly as it was checked here.
std::variant<RequestHead, Refusal> parseRequestHead(std::string_view text,
                                                    const RequestLimits& limits);

}  // namespace velmo::remote
