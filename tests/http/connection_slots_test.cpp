// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/connection_slots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmo::http {
namespace {

TEST(ConnectionSlotsTest, StrangersHoldingEverySlotMakeRoomForTheUser) {
  ConnectionSlots held;
  std::vector<ConnectionSlots::Id> first;  // each address's first connection
  for (int peer = 0; peer < 4; ++peer) {
    for (std::size_t i = 0; i < ConnectionSlots::kMaxConnectionsPerAddress; ++i) {
      const auto admission = held.open("10.0.0." + std::to_string(peer));
      ASSERT_TRUE(admission.admitted && !admission.evicted);
      if (i == 0) first.push_back(admission.id);
    }
  }
  held.authenticated(first[0]);
  const auto user = held.open("10.0.0.9");
  EXPECT_TRUE(user.admitted);
  EXPECT_EQ(user.evicted, first[0] + 1);               // the oldest not authenticated
  EXPECT_EQ(held.open("10.0.0.3").evicted, first[3]);  // an address over its share: its own oldest
  EXPECT_EQ(held.size(), ConnectionSlots::kMaxConnections);

  ConnectionSlots users;
  for (std::size_t i = 0; i < ConnectionSlots::kMaxConnectionsPerAddress; ++i)
    users.authenticated(users.open("10.0.0.1").id);
  EXPECT_FALSE(users.open("10.0.0.1").admitted);
}

}  // namespace
}  // namespace velmo::http
