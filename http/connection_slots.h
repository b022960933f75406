// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace velmo::http {

// The server's connection slots: kMaxConnections in all and
// kMaxConnectionsPerAddress from one address. When a new connection finds
// them full, the oldest connection that has not authenticated (in all, or
// from that address) makes room; authenticated ones never do, so strangers
// holding every slot cannot keep the user out.
class ConnectionSlots {
 public:
  using Id = std::uint64_t;
  static constexpr std::size_t kMaxConnections = 128;
  static constexpr std::size_t kMaxConnectionsPerAddress = 32;

  // What becomes of a new connection.
  struct Admission {
    bool admitted = false;      // false: refuse it, every slot is authenticated
    std::optional<Id> evicted;  // the connection to close for it
    Id id = 0;                  // its number, when admitted
  };

  // A connection from peer wants a slot. An evicted connection's slot is
  // taken already: do not call closed() for it.
  Admission open(const std::string& peer);

  // The connection authenticated (its service said so).
  void authenticated(Id id);

  // The connection ended.
  void closed(Id id);

  std::size_t size() const { return open_.size(); }

 private:
  struct Slot {
    std::string peer;
    bool authenticated = false;
  };
  std::optional<Id> oldestStranger(const std::string* peer) const;

  std::map<Id, Slot> open_;  // by age: ids only grow
  std::map<std::string, std::size_t, std::less<>> perAddress_;
  Id next_ = 1;
};

}  // namespace velmo::http
