// SPDX-License-Identifier: GPL-3.0-or-later
// The captions as users write them: real Velmo.ini files read through
// ReadIniString, in both encodings a settings file may come in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "ini/settings.h"
#include "switchpanel/switch_panel.h"
#include "tests/support/recording_port.h"

namespace velmo::switchpanel {
namespace {

std::string dataFolder(const std::string& name) {
  const char* root = std::getenv("VELMO_TEST_DATA");
  return std::string(root ? root : VELMO_TEST_DATA_DIR) + "/switchpanel/" + name;
}

std::vector<std::string> captionsFromFolder(const std::string& folder) {
  std::vector<std::string> log;
  test::RecordingPort port(log);
  SwitchPanel panel(port, folder);
  panel.Form_Load();
  std::vector<std::string> captions;
  for (int button = 1; button <= kButtonCount; ++button) {
    captions.push_back(panel.button(button).caption);
  }
  return captions;
}

// Sixteen captions: the given ones, all others blank.
std::vector<std::string> captions(const std::map<int, std::string>& given) {
  std::vector<std::string> all(kButtonCount);
  for (const auto& [button, caption] : given) all[button - 1] = caption;
  return all;
}

std::vector<std::string> designCaptionsWith(const std::map<int, std::string>& changed) {
  std::vector<std::string> all;
  for (int button = 1; button <= kButtonCount; ++button) all.push_back(designCaption(button));
  for (const auto& [button, caption] : changed) all[button - 1] = caption;
  return all;
}

struct CaptionCase {
  const char* name;
  std::string folder;
  std::vector<std::string> expected;
};

void PrintTo(const CaptionCase& c, std::ostream* out) {
  *out << c.name;
}

class CaptionFiles : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionFiles, LabelTheButtons) {
  EXPECT_EQ(captionsFromFolder(GetParam().folder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Switchpanel, CaptionFiles,
    ::testing::Values(
        CaptionCase{"NoFile", dataFolder("no_such_folder"), captions({})},
        CaptionCase{"OnlyCommand9", dataFolder("only_command9"),
                    captions({{9, "Aktiver neonlys"}})},
        CaptionCase{"PlainOForTheOSlash", dataFolder("plain_o"),
                    captions({{2, "Deaktiver vifte 1"}})},
        CaptionCase{"KeyInAnotherSection", dataFolder("key_in_other_section"),
                    captions({{1, "Aktiver vifte 1"}})},
        CaptionCase{
            "Windows1252", dataFolder("windows1252"),
            designCaptionsWith({{13, "Aktiver lys i gården"}, {14, "Deaktiver lys i gården"}})},
        CaptionCase{
            "Utf8", dataFolder("utf8"),
            designCaptionsWith({{13, "Aktiver lys i gården"}, {14, "Deaktiver lys i gården"}})},
        CaptionCase{"Example", std::string(VELMO_EXAMPLES_DIR), designCaptionsWith({})}),
    [](const auto& info) { return std::string(info.param.name); });

// The first count characters of UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size(); ++end) {
    const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
    if (startsCharacter && seen++ == count) break;
  }
  return text.substr(0, end);
}

TEST(LongCaptions, AreKeptUpTo254Characters) {
  std::string norwegian, plain;
  for (int i = 0; i < 20; ++i) norwegian += "Slå på kjøkkenviften ";
  for (int i = 0; i < 100; ++i) plain += "Lys ";

  const auto read = captionsFromFolder(dataFolder("long_captions"));
  EXPECT_EQ(read[0], firstCharacters(norwegian, 254));  // 254 in the file: whole
  EXPECT_EQ(read[2], plain.substr(0, 254));             // 300 in the file: cut
  EXPECT_EQ(read[1], "");                               // present, empty
}

}  // namespace
}  // namespace velmo::switchpanel
