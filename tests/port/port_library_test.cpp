// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of the real libvelmoport.so, each case in a child process
// with its own environment.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/port/port_test_support.h"

namespace velmo {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace velmo::test;

// The entries of the library, loaded in the calling process.
struct PortLibrary {
  explicit PortLibrary(const std::string& path = VELMO_PORT_LIBRARY) {
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(dlerror());
    portOut = reinterpret_cast<decltype(portOut)>(dlsym(handle, "PortOut"));
    portIn = reinterpret_cast<decltype(portIn)>(dlsym(handle, "PortIn"));
    portError = reinterpret_cast<decltype(portError)>(dlsym(handle, "PortError"));
  }
  // The last call's failure, "" when it succeeded.
  std::string error() const { return portError() ? portError() : ""; }

  void* handle;
  void (*portOut)(std::int32_t, std::int32_t);
  std::int32_t (*portIn)(std::int32_t);
  const char* (*portError)();
};

class PortLibraryTest : public ::testing::Test {
 protected:
  // In a child with VELMO_PORT=sim:<reg> and a trace: body's result.
  int inChild(const std::function<int(PortLibrary&)>& body, std::string port = "") {
    if (port.empty()) port = "sim:" + reg;
    return runInChild([&] {
      setenv("VELMO_PORT", port.c_str(), 1);
      setenv("VELMO_PORT_TRACE", trace.c_str(), 1);
      PortLibrary library;
      return body(library);
    });
  }

  TempFolder temp;
  std::string reg = temp / "reg";
  std::string trace = temp / "trace";
};

TEST_F(PortLibraryTest, ExportsTheThreeEntries) {
  PortLibrary library;
  EXPECT_NE(library.portOut, nullptr);
  EXPECT_NE(library.portIn, nullptr);
  EXPECT_NE(library.portError, nullptr);
}

TEST_F(PortLibraryTest, WritesAndReadsTheRegisterThatProgramsShare) {
  EXPECT_EQ(inChild([](PortLibrary& library) {
              library.portOut(888, 0x1A5);
              return library.error().empty() ? 0 : 1;
            }),
            0);
  EXPECT_EQ(readFile(reg), "\xA5");
  EXPECT_EQ(inChild([](PortLibrary& library) {
              const std::int32_t value = library.portIn(888);
              return library.error().empty() ? value : 1;
            }),
            0xA5);
  ASSERT_EQ(readLines(trace).size(), 2u);
  EXPECT_THAT(readLines(trace)[0], ::testing::EndsWith(" out 888 165"));
  EXPECT_THAT(readLines(trace)[1], ::testing::EndsWith(" in 888 165"));
}

TEST_F(PortLibraryTest, ReadsTheEnvironmentAtTheFirstCallNotAtLoading) {
  EXPECT_EQ(inChild([&](PortLibrary& library) {
              if (std::filesystem::exists(trace)) return 1;
              setenv("VELMO_PORT", ("sim:" + temp / "later").c_str(), 1);
              library.portOut(888, 3);
              return library.error().empty() ? 0 : 2;
            }),
            0);
  EXPECT_EQ(readFile(temp / "later"), "\x03");
  EXPECT_FALSE(std::filesystem::exists(reg));
}

TEST_F(PortLibraryTest, ReportsFailuresThroughPortErrorAndRecovers) {
  const std::string report = temp / "report";
  EXPECT_EQ(inChild(
                [&](PortLibrary& library) {
                  library.portOut(888, 1);
                  writeFile(report, library.error());
                  const std::int32_t value = library.portIn(888);
                  if (value != 0 || library.error().empty()) return 1;
                  setenv("VELMO_PORT", ("sim:" + reg).c_str(), 1);
                  library.portOut(888, 9);
                  return library.error().empty() ? 0 : 2;
                },
                "parallel"),
            0);
  EXPECT_THAT(readFile(report), HasSubstr("VELMO_PORT=\"parallel\" is not a port setting"));
  EXPECT_EQ(readFile(reg), "\x09");
}

TEST_F(PortLibraryTest, MissingHardwareIsReportedWithThePortName) {
  if (access("/dev/parport0", F_OK) == 0) GTEST_SKIP() << "this machine has a parallel port";
  const std::string report = temp / "report";
  inChild(
      [&](PortLibrary& library) {
        library.portOut(888, 1);
        writeFile(report, library.error());
        return 0;
      },
      "hw:parport0");
  EXPECT_THAT(readFile(report), HasSubstr("There is no parallel port named parport0"));
}

TEST_F(PortLibraryTest, AnOlaModuleThatCannotBeLoadedIsReportedWithThePackageToInstall) {
  const std::string folder = temp / "program";
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(VELMO_PORT_LIBRARY, folder + "/libvelmoport.so");
  const auto reportOfFirstWrite = [&] {
    const std::string report = temp / "report";
    runInChild([&] {
      setenv("VELMO_PORT", "ola:1", 1);
      setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
      PortLibrary library(folder + "/libvelmoport.so");
      library.portOut(888, 1);
      writeFile(report, library.error());
      return 0;
    });
    return readFile(report);
  };
  const std::string module = folder + "/libvelmoport-ola.so";
  EXPECT_EQ(reportOfFirstWrite(),
            "Cannot load the OLA module " + module +
                ": cannot open shared object file: No such file or directory. For Velmo "
                "installed from its package, install the package velmo-ola of the same "
                "version; for your own build, install OLA's development files (sudo apt-get "
                "install libola-dev) and build again.");
  std::filesystem::copy_file(NEEDS_ABSENT_LIBRARY, module);
  EXPECT_THAT(reportOfFirstWrite(), AllOf(HasSubstr("Cannot load the OLA module " + module +
                                                    ": a library it needs cannot be loaded: "),
                                          HasSubstr("sudo apt-get install libola1")));
  EXPECT_FALSE(std::filesystem::exists(temp / "velmo")) << "no register was made";
}

}  // namespace
}  // namespace velmo
