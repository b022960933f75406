// SPDX-License-Identifier: GPL-3.0-or-later
// One HTTP connection of Server: Boost.Beast parses each request within the
// limits, and the Service answers it.
#include <boost/asio/post.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <optional>

#include "http/server_hub.h"

namespace velmo::http {
namespace {

namespace beast = boost::beast;
namespace net = boost::asio;

constexpr std::size_t kReadChunk = 4096;
// How long a connection that the server ends takes what the client still
// sends, so that the client reads the last answer before the connection goes
// (closing with bytes unread would reset it and lose the answer).
constexpr std::chrono::seconds kLinger{2};

Response refusal(int status, const std::string& message) {
  return {status, "application/json", errorJson(message), {}, false, true, false};
}

// The answer to a request the library refused while reading it.
Response readRefusal(beast::error_code error, const Limits& limits) {
  if (error == beast::http::error::header_limit)
    return refusal(
        431, "a request's head may be " + std::to_string(limits.maxHeadBytes) + " bytes at most");
  if (error == beast::http::error::body_limit)
    return refusal(413, "a body may be " + std::to_string(limits.maxBodyBytes) + " bytes at most");
  return refusal(400, "not a well-formed HTTP/1.1 request (" + error.message() + ")");
}

Request exchanged(const BeastRequest& request, const std::string& peer) {
  Request plain;
  plain.method = std::string(request.method_string());
  plain.target = std::string(request.target());
  plain.version = request.version();
  for (const auto& field : request) {
    std::string name(field.name_string());
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    plain.fields.push_back({std::move(name), std::string(field.value())});
  }
  plain.body = request.body();
  plain.peer = peer;
  plain.websocketUpgrade = beast::websocket::is_upgrade(request);
  return plain;
}

class HttpConnection final : public Connection,
                             public std::enable_shared_from_this<HttpConnection> {
 public:
  HttpConnection(beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id, std::string peer)
      : stream_(std::move(stream)), hub_(hub), id_(id), peer_(std::move(peer)) {}

  // Waits for the first byte of the next request: a connection that stays
  // idle too long ends without an answer.
  void awaitRequest() {
    stream_.expires_after(authenticated_ ? hub_.limits.authenticatedIdle
                                         : hub_.limits.strangerIdle);
    if (buffer_.size() > 0) return readRequest();
    stream_.async_read_some(buffer_.prepare(kReadChunk),
                            [self = shared_from_this()](beast::error_code error, std::size_t got) {
                              if (error) return self->end();
                              self->buffer_.commit(got);
                              self->readRequest();
                            });
  }

  void close() override {
    beast::error_code ignored;
    stream_.socket().close(ignored);
    if (awaitingAnswer_) end();  // no read or write is pending that would end it
  }

 private:
  void readRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(hub_.limits.maxHeadBytes));
    parser_->body_limit(hub_.limits.maxBodyBytes);
    stream_.expires_after(hub_.limits.requestTime);
    beast::http::async_read(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              self->requestRead(error);
                            });
  }

  void requestRead(beast::error_code error) {
    // The stream closes a connection whose time ran out (a client too slow
    // to send its request) by itself.
    if (error == beast::http::error::end_of_stream || error == net::error::operation_aborted ||
        error == net::error::eof || error == net::error::connection_reset ||
        error == beast::error::timeout)
      return end();
    if (error) return respond(readRefusal(error, hub_.limits));
    const BeastRequest& request = parser_->get();
    keepAlive_ = request.keep_alive();
    head_ = request.method() == beast::http::verb::head;
    version_ = request.version();
    stream_.expires_never();  // the service's answer has a time of its own
    awaitingAnswer_ = true;
    hub_.service.serve(
        exchanged(request, peer_),
        [weak = weak_from_this(), executor = stream_.get_executor()](Response response) {
          net::post(executor, [weak, response = std::move(response)]() mutable {
            if (const auto self = weak.lock()) self->respond(std::move(response));
          });
        });
  }

  void respond(Response response) {
    awaitingAnswer_ = false;
    if (ended_) return;
    if (response.authenticated && !authenticated_) {
      authenticated_ = true;
      hub_.slots.authenticated(id_);
    }
    if (response.acceptPush) {
      hub_.connections.erase(id_);
      return servePushClient(std::move(stream_), hub_, id_, parser_->release());
    }
    answer_.emplace(static_cast<beast::http::status>(response.status), version_);
    answer_->set(beast::http::field::content_type, response.contentType);
    for (const Field& field : response.fields) answer_->set(field.name, field.value);
    answer_->keep_alive(keepAlive_ && !response.close);
    if (head_) {
      answer_->content_length(response.body.size());
    } else {
      answer_->body() = std::move(response.body);
      answer_->prepare_payload();
    }
    stream_.expires_after(hub_.limits.requestTime);  // a client that does not read is cut off
    beast::http::async_write(stream_, *answer_,
                             [self = shared_from_this()](beast::error_code error, std::size_t) {
                               if (error) return self->end();
                               if (!self->answer_->keep_alive()) return self->linger();
                               self->awaitRequest();
                             });
  }

  void linger() {
    beast::error_code ignored;
    stream_.socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kLinger);
    buffer_.clear();
    stream_.async_read_some(buffer_.prepare(kReadChunk),
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              if (error) return self->end();
                              self->linger();
                            });
  }

  void end() {
    if (ended_) return;
    ended_ = true;
    beast::error_code ignored;
    stream_.socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
    hub_.ended(id_);
  }

  beast::tcp_stream stream_;
  ServerHub& hub_;
  ConnectionSlots::Id id_;
  std::string peer_;
  beast::flat_buffer buffer_;
  std::optional<beast::http::request_parser<beast::http::string_body>> parser_;
  std::optional<beast::http::response<beast::http::string_body>> answer_;
  unsigned version_ = 11;
  bool keepAlive_ = false;
  bool head_ = false;
  bool authenticated_ = false;
  bool awaitingAnswer_ = false;
  bool ended_ = false;
};

}  // namespace

void serveConnection(beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id,
                     std::string peer) {
  auto connection = std::make_shared<HttpConnection>(std::move(stream), hub, id, std::move(peer));
  hub.connections[id] = connection;
  connection->awaitRequest();
}

}  // namespace velmo::http
