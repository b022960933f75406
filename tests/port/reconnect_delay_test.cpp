// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/reconnect_delay.h"

#include <gtest/gtest.h>

namespace velmo::port {
namespace {

TEST(ReconnectDelay, AtOnceThenDoublingFrom100MsUpTo2s) {
  const std::pair<unsigned, int> rows[] = {{1, 0},     {2, 100},           {3, 200},  {4, 400},
                                           {5, 800},   {6, 1600},          {7, 2000}, {8, 2000},
                                           {40, 2000}, {4294967295u, 2000}};
  for (const auto& [failures, milliseconds] : rows) {
    EXPECT_EQ(reconnectDelay(failures).count(), milliseconds) << failures << " failures";
  }
}

}  // namespace
}  // namespace velmo::port
