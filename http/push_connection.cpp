// SPDX-License-Identifier: GPL-3.0-or-later
// One push client of Server: a WebSocket (Boost.Beast) that carries the
// state out and commands in, each message within the limits.
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/websocket/stream.hpp>
#include <deque>

#include "http/server_hub.h"

namespace velmo::http {

namespace beast = boost::beast;
namespace websocket = beast::websocket;

class PushConnection final : public Connection,
                             public std::enable_shared_from_this<PushConnection> {
 public:
  PushConnection(beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id)
      : socket_(std::move(stream)), hub_(hub), id_(id) {}

  void accept(BeastRequest request) {
    upgrade_ = std::move(request);
    beast::get_lowest_layer(socket_).expires_never();  // the WebSocket keeps its own times
    socket_.set_option(websocket::stream_base::timeout{hub_.limits.requestTime,
                                                       hub_.limits.authenticatedIdle, true});
    socket_.read_message_max(hub_.limits.maxPushMessageBytes);
    socket_.async_accept(upgrade_, [self = shared_from_this()](beast::error_code error) {
      if (error) return self->end();
      self->client_ = self->hub_.nextPushClient++;
      self->hub_.pushClients[self->client_] = self;
      self->hub_.service.pushOpened(self->client_);
      self->read();
    });
  }

  void send(std::shared_ptr<const std::string> message) {
    if (ended_) return;
    if (backlog_.size() >= hub_.limits.maxPushBacklog) return close();
    backlog_.push_back(std::move(message));
    if (backlog_.size() == 1) writeNext();
  }

  void close() override {
    beast::error_code ignored;
    beast::get_lowest_layer(socket_).socket().close(ignored);
  }

 private:
  void read() {
    socket_.async_read(incoming_,
                       [self = shared_from_this()](beast::error_code error, std::size_t) {
                         if (error) return self->end();
                         if (!self->socket_.got_text())
                           return self->end();  // commands are JSON text
                         self->hub_.service.pushReceived(
                             self->client_, beast::buffers_to_string(self->incoming_.data()));
                         self->incoming_.consume(self->incoming_.size());
                         self->read();
                       });
  }

  void writeNext() {
    socket_.text(true);
    socket_.async_write(boost::asio::buffer(*backlog_.front()),
                        [self = shared_from_this()](beast::error_code error, std::size_t) {
                          if (error) return self->end();
                          self->backlog_.pop_front();
                          if (!self->backlog_.empty()) self->writeNext();
                        });
  }

  void end() {
    if (ended_) return;
    ended_ = true;
    close();
    if (client_) {
      hub_.pushClients.erase(client_);
      hub_.service.pushClosed(client_);
    }
    hub_.ended(id_);
  }

  websocket::stream<beast::tcp_stream> socket_;
  ServerHub& hub_;
  ConnectionSlots::Id id_;
  BeastRequest upgrade_;
  PushClient client_ = 0;
  beast::flat_buffer incoming_;
  std::deque<std::shared_ptr<const std::string>> backlog_;
  bool ended_ = false;
};

void servePushClient(beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id,
                     BeastRequest request) {
  auto client = std::make_shared<PushConnection>(std::move(stream), hub, id);
  hub.connections[id] = client;
  client->accept(std::move(request));
}

void sendToPushClient(PushConnection& client, std::shared_ptr<const std::string> message) {
  client.send(std::move(message));
}

}  // namespace velmo::http
