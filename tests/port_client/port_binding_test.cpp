// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <vector>

#include "port_client/port.h"
#include "system/run_time_error.h"
#include "tests/port/port_test_support.h"

namespace velmo {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using namespace velmo::test;

// Whether the library at path is loaded in this process.
bool isLoaded(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

// The test entries of the recording library, which a LibraryPort has loaded.
class Recorder {
 public:
  std::string log() const { return library_.entry<const char* (*)()>("RecorderLog")(); }
  void setRegister(std::int32_t value) const {
    library_.entry<void (*)(std::int32_t)>("RecorderSetRegister")(value);
  }
  void failNextCall(const char* reason) const {
    library_.entry<void (*)(const char*)>("RecorderFailNextCall")(reason);
  }

 private:
  SharedObject library_{RECORDING_PORT_LIBRARY, {"recording library", "", "", ""}};
};

TEST(PortByte, ValuesFrom0To255PassUnchanged) {
  for (const long long value : {0, 1, 128, 254, 255}) EXPECT_EQ(toPortByte(value), value);
}

TEST(PortByte, OtherValuesAreAnOverflow) {
  const std::vector<std::pair<long long, std::string>> rows = {
      {-1, "overflow: -1 is not a port byte (0 to 255)"},
      {256, "overflow: 256 is not a port byte (0 to 255)"},
      {65535, "overflow: 65535 is not a port byte (0 to 255)"},
      {LLONG_MIN, "overflow: " + std::to_string(LLONG_MIN) + " is not a port byte (0 to 255)"},
      {LLONG_MAX, "overflow: " + std::to_string(LLONG_MAX) + " is not a port byte (0 to 255)"}};
  for (const auto& [value, message] : rows) {
    try {
      toPortByte(value);
      ADD_FAILURE() << value << " passed";
    } catch (const OverflowError& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

// A port that logs the bytes it is handed.
class LoggingPort final : public Port {
 public:
  std::vector<int> written;
  std::uint8_t value = 0x5A;

 protected:
  void writeByte(int, std::uint8_t byte) override { written.push_back(byte); }
  std::uint8_t readByte(int) override { return value; }
};

TEST(Port, RangeChecksBeforeTheWriteAndReadsTheByte) {
  LoggingPort port;
  EXPECT_THROW(port.PortOut(kDataPort, -1), OverflowError);
  EXPECT_THROW(port.PortOut(kDataPort, 256), OverflowError);
  port.PortOut(kDataPort, 0);
  port.PortOut(kDataPort, 255);
  EXPECT_EQ(port.written, (std::vector<int>{0, 255}));
  EXPECT_EQ(port.PortIn(kDataPort), 0x5A);
}

TEST(LibraryPort, LoadsTheLibraryAtTheFirstPortCallAndPassesTheByte) {
  LibraryPort port(RECORDING_PORT_LIBRARY);
  EXPECT_FALSE(isLoaded(RECORDING_PORT_LIBRARY));
  EXPECT_THROW(port.PortOut(kDataPort, 256), OverflowError);
  EXPECT_FALSE(isLoaded(RECORDING_PORT_LIBRARY)) << "an overflow must not load the library";

  port.PortOut(kDataPort, 129);
  EXPECT_TRUE(isLoaded(RECORDING_PORT_LIBRARY));
  Recorder recorder;
  recorder.setRegister(0x1234);
  EXPECT_EQ(port.PortIn(kDataPort), 0x34) << "only the low 8 bits of PortIn count";
  EXPECT_EQ(recorder.log(), "out 888 129;in 888;");
}

TEST(LibraryPort, AFailureTheLibraryReportsIsARunTimeErrorWithItsText) {
  LibraryPort port(RECORDING_PORT_LIBRARY);
  port.PortOut(kDataPort, 0);
  Recorder recorder;
  recorder.failNextCall("Cannot write the port register /x/reg: No space left on device.");
  try {
    port.PortOut(kDataPort, 1);
    ADD_FAILURE() << "the failure was not reported";
  } catch (const RunTimeError& error) {
    EXPECT_STREQ(error.what(), "Cannot write the port register /x/reg: No space left on device.");
  }
  recorder.failNextCall("the port is gone");
  EXPECT_THROW(port.PortIn(kDataPort), RunTimeError);
  EXPECT_NO_THROW(port.PortOut(kDataPort, 2));
}

// A port library that cannot be loaded: the path, the loader's reason and the
// fix that fits.
TEST(LibraryPort, ALibraryThatCannotBeLoadedIsAnErrorNamingPathReasonAndFix) {
  TempFolder temp;
  const std::string missing = temp / "missing/libvelmoport.so";
  const std::string notALibrary = temp / kPortLibraryName;
  writeFile(notALibrary, std::string(4096, 'x'));  // no ELF header
  const std::string start = "Cannot load the port library ";
  const std::vector<std::pair<std::string, std::string>> rows = {
      {missing, start + missing +
                    ": cannot open shared object file: No such file or directory. Put the "
                    "libvelmoport.so of this version of Velmo beside the program."},
      {notALibrary, start + notALibrary +
                        ": invalid ELF header. Replace it with the libvelmoport.so of this "
                        "version of Velmo."},
      {NEEDS_ABSENT_PORT_LIBRARY,
       start + NEEDS_ABSENT_PORT_LIBRARY +
           ": a library it needs cannot be loaded: libabsent_port_dependency.so: cannot open "
           "shared object file: No such file or directory. Install that library."}};
  for (const auto& [path, message] : rows) {
    LibraryPort port(path);
    for (int call = 0; call < 2; ++call) {  // a failed load is tried again, with the same report
      try {
        port.PortOut(kDataPort, 1);
        ADD_FAILURE() << "no error for " << path;
      } catch (const RunTimeError& error) {
        EXPECT_EQ(error.what(), message);
      }
    }
  }
}

TEST(LibraryPort, ANamedPipeInPlaceOfTheLibraryIsRefusedWithoutWaitingForAWriter) {
  TempFolder temp;
  const std::string path = temp / kPortLibraryName;
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const std::string report = temp / "report";
  const int result = runInChild([&] {
    alarm(5);  // a load that waits for a writer would hold up the program for good
    try {
      LibraryPort(path).PortOut(kDataPort, 1);
    } catch (const RunTimeError& error) {
      writeFile(report, error.what());
      return 0;
    }
    return 1;
  });
  ASSERT_EQ(result, 0) << "the named pipe was loaded or waited on";
  EXPECT_EQ(readFile(report),
            "Cannot load the port library " + path +
                ": it is not a regular file. Replace it with the libvelmoport.so of this version "
                "of Velmo.");
}

TEST(LibraryPort, BindsEachEntryAtItsOwnFirstCall) {
  LibraryPort port(OUT_ONLY_PORT_LIBRARY);
  EXPECT_NO_THROW(port.PortOut(kDataPort, 1)) << "a library without PortError reports nothing";
  try {
    port.PortIn(kDataPort);
    ADD_FAILURE() << "PortIn was found in a library without it";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.what(), std::string("The port library ") + OUT_ONLY_PORT_LIBRARY +
                                " has no entry PortIn: undefined symbol: PortIn. Replace it "
                                "with the libvelmoport.so of this version of Velmo.");
  }
  EXPECT_NO_THROW(port.PortOut(kDataPort, 2));
}

TEST(LibraryPort, TheDefaultLibraryLiesBesideTheProgram) {
  const auto program = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(portLibraryPath(), (program.parent_path() / "libvelmoport.so").string());
  EXPECT_EQ(LibraryPort().libraryPath(), portLibraryPath());
}

// The real port library on a simulated register of the test's own.
TEST(LibraryPort, DrivesTheRealPortLibrary) {
  TempFolder temp;
  const std::string reg = temp / "reg";
  EXPECT_EQ(runInChild([&] {
              setenv("VELMO_PORT", ("sim:" + reg).c_str(), 1);
              LibraryPort port(VELMO_PORT_LIBRARY);
              port.PortOut(kDataPort, 129);
              return port.PortIn(kDataPort);
            }),
            129);
  EXPECT_EQ(readFile(reg), "\x81");

  const std::string report = temp / "report";
  runInChild([&] {
    setenv("VELMO_PORT", "sim:", 1);
    try {
      LibraryPort(VELMO_PORT_LIBRARY).PortOut(kDataPort, 1);
    } catch (const RunTimeError& error) {
      writeFile(report, error.what());
    }
    return 0;
  });
  EXPECT_THAT(readFile(report), AllOf(HasSubstr("VELMO_PORT=\"sim:\""), HasSubstr("\"hw:NAME\"")));
}

}  // namespace
}  // namespace velmo
