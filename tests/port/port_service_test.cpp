// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "port/register/simulated_register.h"
#include "tests/port/port_test_support.h"

namespace velmo::port {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace velmo::test;
using Folder = RegisterLocation::Folder;

class PortServiceTest : public ::testing::Test {
 protected:
  PortEnvironment environment(const std::string& port) const {
    return {port, trace, temp.path(), geteuid()};
  }
  std::uint8_t registerByte() const { return SimulatedRegister({reg, Folder::kExisting}).peek(); }
  // The trace without timestamps.
  std::vector<std::string> accesses() const {
    std::vector<std::string> result;
    for (const auto& line : readLines(trace)) result.push_back(line.substr(line.find(' ') + 1));
    return result;
  }

  TempFolder temp;
  std::string reg = temp / "reg";
  std::string trace = temp / "trace";
};

TEST_F(PortServiceTest, WritesTheLowByteReadsItBackAndTracesBoth) {
  PortService service(environment("sim:" + reg));
  service.out(888, 0x181);
  EXPECT_EQ(registerByte(), 0x81);
  EXPECT_EQ(service.in(888), 0x81);
  EXPECT_EQ(accesses(), (std::vector<std::string>{"out 888 129", "in 888 129"}));
  EXPECT_TRUE(std::regex_match(readLines(trace).front(), std::regex("[0-9]+ out 888 129")));
}

TEST_F(PortServiceTest, DrivesOnlyTheDataRegister) {
  PortService service(environment("sim:" + reg));
  for (const int port : {0, 887, 889, 0x3BC}) {
    try {
      service.out(port, 1);
      ADD_FAILURE() << "wrote port " << port;
    } catch (const PortAccessError& error) {
      EXPECT_THAT(error.what(), HasSubstr("not port " + std::to_string(port)));
    }
    EXPECT_THROW(service.in(port), PortAccessError);
  }
  EXPECT_EQ(registerByte(), 0);
  EXPECT_TRUE(readFile(trace).empty());
}

TEST_F(PortServiceTest, UsesTheDefaultRegisterWhenVelmoPortIsUnset) {
  PortService service(environment(""));
  service.out(888, 0x0F);
  EXPECT_EQ(SimulatedRegister({temp / "velmo/port-888", Folder::kPrivate}).peek(), 0x0F);
}

TEST_F(PortServiceTest, FailsToSetUpBeforeTouchingAnything) {
  EXPECT_THROW(PortService(environment("bogus")), PortAccessError);
  trace = temp / "no-folder/trace";
  try {
    PortService service(environment("sim:" + reg));
    ADD_FAILURE() << "a trace that cannot be opened was accepted";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), AllOf(HasSubstr(trace), HasSubstr("No such file or directory")));
  }
  EXPECT_FALSE(std::filesystem::exists(reg));
}

}  // namespace
}  // namespace velmo::port
