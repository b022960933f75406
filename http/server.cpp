// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <stdexcept>
#include <thread>

#include "http/server_hub.h"

namespace velmo::http {

namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// A client's address, an IPv4 one as IPv4 also on a dual-stack socket.
std::string peerText(const tcp::socket& socket) {
  boost::system::error_code error;
  net::ip::address address = socket.remote_endpoint(error).address();
  if (address.is_v6() && address.to_v6().is_v4_mapped())
    address = net::ip::make_address_v4(net::ip::v4_mapped, address.to_v6());
  return address.to_string();
}

}  // namespace

struct Server::Running {
  Running(Service& service, const Limits& limits)
      : hub{service, limits, {}, {}, {}}, acceptor(context), retry(context) {}

  void listen(const std::string& address, std::uint16_t port) {
    boost::system::error_code error;
    const auto ip = net::ip::make_address(address, error);
    if (!error) {
      const tcp::endpoint where(ip, port);
      acceptor.open(where.protocol(), error);
      if (!error) acceptor.set_option(net::socket_base::reuse_address(true), error);
      if (!error) acceptor.bind(where, error);
      if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
      if (!error) this->port = acceptor.local_endpoint(error).port();
    }
    if (error) {
      throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                               error.message());
    }
  }

  void accept() {
    acceptor.async_accept([this](boost::system::error_code error, tcp::socket socket) {
      if (error == net::error::operation_aborted) return;
      if (error) {  // out of descriptors, say: try again soon rather than spin
        retry.expires_after(std::chrono::milliseconds(100));
        retry.async_wait([this](boost::system::error_code) { accept(); });
        return;
      }
      admit(std::move(socket));
      accept();
    });
  }

  void admit(tcp::socket socket) {
    std::string peer = peerText(socket);
    const ConnectionSlots::Admission admission = hub.slots.open(peer);
    if (!admission.admitted) return;  // every slot is authenticated: the socket closes
    if (admission.evicted) {
      const auto evicted = hub.connections.find(*admission.evicted);
      if (evicted != hub.connections.end()) evicted->second->close();
    }
    serveConnection(boost::beast::tcp_stream(std::move(socket)), hub, admission.id,
                    std::move(peer));
  }

  net::io_context context;
  ServerHub hub;
  tcp::acceptor acceptor;
  net::steady_timer retry;
  std::uint16_t port = 0;
  std::thread thread;
};

Server::Server() = default;

Server::~Server() {
  stop();
}

void Server::start(Service& service, const std::string& address, std::uint16_t port,
                   Limits limits) {
  auto running = std::make_unique<Running>(service, limits);
  running->listen(address, port);
  running->accept();
  running->thread = std::thread([context = &running->context] { context->run(); });
  running_ = std::move(running);
}

std::uint16_t Server::port() const {
  return running_ ? running_->port : 0;
}

void Server::stop() {
  if (!running_) return;
  net::post(running_->context, [running = running_.get()] {
    boost::system::error_code ignored;
    running->acceptor.close(ignored);
    running->retry.cancel();
    running->hub.closeAll();
  });
  running_->thread.join();
  running_.reset();
}

void Server::send(PushClient client, std::string message) {
  if (!running_) return;
  auto shared = std::make_shared<const std::string>(std::move(message));
  net::post(running_->context, [running = running_.get(), client, shared] {
    const auto found = running->hub.pushClients.find(client);
    if (found == running->hub.pushClients.end()) return;
    if (const auto each = found->second.lock()) sendToPushClient(*each, shared);
  });
}

void Server::broadcast(std::string message) {
  if (!running_) return;
  auto shared = std::make_shared<const std::string>(std::move(message));
  net::post(running_->context, [running = running_.get(), shared] {
    const auto clients = running->hub.pushClients;
    for (const auto& each : clients) {
      if (const auto client = each.second.lock()) sendToPushClient(*client, shared);
    }
  });
}

}  // namespace velmo::http
