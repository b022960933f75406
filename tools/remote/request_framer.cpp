// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_framer.h"

namespace velmo::remote {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

}  // namespace

RequestFramer::Outcome RequestFramer::next(const Check& check) {
  if (!head_) {
    const auto end = pending_.find(kHeadEnd);
    const std::size_t headBytes = end == std::string::npos ? pending_.size() : end;
    if (headBytes > limits_.maxHeadBytes)
      return Refusal{
          431, "a request head may be " + std::to_string(limits_.maxHeadBytes) + " bytes at most"};
    if (end == std::string::npos) return std::monostate{};
    auto parsed = parseRequestHead(std::string_view(pending_).substr(0, end), limits_);
    if (auto* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
    auto& head = std::get<RequestHead>(parsed);
    if (head.contentLength() > limits_.maxBodyBytes)
      return Refusal{
          413, "a request body may be " + std::to_string(limits_.maxBodyBytes) + " bytes at most"};
    if (auto refusal = check(head)) return std::move(*refusal);
    requestBytes_ = end + kHeadEnd.size() + head.contentLength();
    head_ = std::move(head);
  }
  if (pending_.size() < requestBytes_) return std::monostate{};
  Request request{std::move(*head_), pending_.substr(0, requestBytes_)};
  pending_.erase(0, requestBytes_);
  head_.reset();
  return request;
}

}  // namespace velmo::remote
