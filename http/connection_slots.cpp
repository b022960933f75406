// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/connection_slots.h"

namespace velmo::http {

ConnectionSlots::Admission ConnectionSlots::open(const std::string& peer) {
  const auto fromPeer = perAddress_.find(peer);
  const bool peerFull =
      fromPeer != perAddress_.end() && fromPeer->second >= kMaxConnectionsPerAddress;
  Admission admission;
  if (peerFull || open_.size() >= kMaxConnections) {
    admission.evicted = oldestStranger(peerFull ? &peer : nullptr);
    if (!admission.evicted) return admission;
    closed(*admission.evicted);
  }
  admission.admitted = true;
  admission.id = next_++;
  open_.emplace(admission.id, Slot{peer, false});
  ++perAddress_[peer];
  return admission;
}

void ConnectionSlots::authenticated(Id id) {
  if (const auto found = open_.find(id); found != open_.end()) found->second.authenticated = true;
}

void ConnectionSlots::closed(Id id) {
  const auto found = open_.find(id);
  if (found == open_.end()) return;
  const auto count = perAddress_.find(found->second.peer);
  if (--count->second == 0) perAddress_.erase(count);
  open_.erase(found);
}

std::optional<ConnectionSlots::Id> ConnectionSlots::oldestStranger(const std::string* peer) const {
  for (const auto& [id, slot] : open_) {
    if (!slot.authenticated && (!peer || slot.peer == *peer)) return id;
  }
  return std::nullopt;
}

}  // namespace velmo::http
