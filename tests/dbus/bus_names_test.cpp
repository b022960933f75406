// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_names.h"

#include <gtest/gtest.h>

#include "dbus/programs.h"

namespace velmo::dbus {
namespace {

TEST(BusNameTest, CarriesThePortTargetAsOneElement) {
  struct Row {
    std::string target;
    std::string name;
  };
  const Row rows[] = {
      {"", "org.velmo.Chaser"},
      {"ola:1:1@9010", "org.velmo.Chaser.ola_3a1_3a1_409010"},
      {"sim:/run/p-8", "org.velmo.Chaser.sim_3a_2frun_2fp_2d8"},
      // An element may not start with a digit, and a name has 255 bytes at
      // most: such targets are carried as their FNV-1a hash.
      {"1abc", "org.velmo.Chaser.h7627b5f011c2a5f4"},
      {std::string(300, 'x'), "org.velmo.Chaser.he78ddf9f1ba85555"},
  };
  for (const Row& row : rows) EXPECT_EQ(busName(kChaser, row.target), row.name) << row.target;
}

}  // namespace
}  // namespace velmo::dbus
