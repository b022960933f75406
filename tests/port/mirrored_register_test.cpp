// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/mirrored_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "port/backends/ieee1284_lines.h"
#include "port/register/simulated_register.h"
#include "system/temp_folder.h"

namespace velmo::port {
namespace {

using ::testing::AnyOf;
using ::testing::HasSubstr;

// Data lines that keep what they are given; a port may be unable to read
// back or may fail to write.
class FakeLines final : public OutputLines {
 public:
  FakeLines(std::vector<std::uint8_t>& written, bool canReadBack, bool failing)
      : written_(written), canReadBack_(canReadBack), failing_(failing) {}

  void write(std::uint8_t value) override {
    if (failing_) throw PortAccessError("the port is gone");
    written_.push_back(value);
  }
  std::optional<std::uint8_t> read() override {
    if (!canReadBack_) return std::nullopt;
    return written_.empty() ? 0 : written_.back() ^ 0xFF;  // tells lines from mirror
  }

 private:
  std::vector<std::uint8_t>& written_;
  bool canReadBack_;
  bool failing_;
};

class MirroredRegisterTest : public ::testing::Test {
 protected:
  MirroredRegister make(bool canReadBack, bool failing = false) {
    return MirroredRegister(std::make_unique<FakeLines>(written, canReadBack, failing), mirrorAt);
  }
  std::uint8_t mirror() const { return SimulatedRegister(mirrorAt).peek(); }

  velmo::TempFolder temp;
  RegisterLocation mirrorAt{temp / "mirror", RegisterLocation::Folder::kExisting};
  std::vector<std::uint8_t> written;
};

TEST_F(MirroredRegisterTest, EveryByteWrittenReachesTheLinesAndTheMirror) {
  MirroredRegister port = make(true);
  port.writeData(0x81);
  port.writeData(0x42);
  EXPECT_EQ(written, (std::vector<std::uint8_t>{0x81, 0x42}));
  EXPECT_EQ(mirror(), 0x42);
  EXPECT_EQ(port.readData(), 0x42 ^ 0xFF) << "reads the lines themselves";
}

TEST_F(MirroredRegisterTest, APortThatCannotReadBackReadsTheMirror) {
  MirroredRegister port = make(false);
  port.writeData(0x24);
  EXPECT_EQ(port.readData(), 0x24);
}

TEST_F(MirroredRegisterTest, AFailedWriteLeavesTheMirrorAlone) {
  MirroredRegister port = make(true, true);
  EXPECT_THROW(port.writeData(0x81), PortAccessError);
  EXPECT_EQ(mirror(), 0);
}

TEST(Ieee1284Lines, APortThatIsNotThereIsAnErrorThatSaysWhatExists) {
  try {
    Ieee1284Lines lines("velmo-no-such-port");
    ADD_FAILURE() << "opened a port that does not exist";
  } catch (const PortAccessError& error) {
    EXPECT_THAT(error.what(), HasSubstr("There is no parallel port named velmo-no-such-port"));
    EXPECT_THAT(error.what(), AnyOf(HasSubstr("Ports found: "),
                                    HasSubstr("no parallel port was found on this machine")));
  }
}

}  // namespace
}  // namespace velmo::port
