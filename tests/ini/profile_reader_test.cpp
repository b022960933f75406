// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/profile_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ini/profile_search.h"
#include "ini/text_encoding.h"
#include "system/temp_folder.h"

namespace velmo {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

constexpr std::string_view kMissing = "<missing>";

std::string lookUp(std::string_view file, std::string_view section, std::string_view key,
                   std::size_t bufferSize = 255) {
  return profileStringFromBytes(file, section, key, kMissing, bufferSize);
}

// text as UTF-16 in the given byte order, after its byte-order mark.
std::string utf16(std::u16string_view text, Utf16Decoder::ByteOrder order) {
  std::string bytes;
  for (const char16_t unit : std::u16string(1, u'\uFEFF') + std::u16string(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += order == Utf16Decoder::ByteOrder::LittleEndian ? std::string{low, high}
                                                            : std::string{high, low};
  }
  return bytes;
}

struct RuleCase {
  const char* rule;
  std::string file;
  std::string section;
  std::string key;
  std::string expected;  // kMissing when nothing is found
};

const std::vector<RuleCase>& ruleCases() {
  static const std::vector<RuleCase> cases = {
      // Names in any case, values as written.
      {"section and key in any case", "[Timer3]\nTiden=5", "TIMER3", "tiden", "5"},
      {"value keeps its case", "[s]\nk=AbC", "s", "k", "AbC"},
      {"Latin-1 capital in UTF-8 file", "[høy]\nk=1", "HØY", "k", "1"},
      {"Latin-1 capital in 1252 file", "[H\xD8Y]\nk=1", "høy", "k", "1"},
      {"1252 letters Š Ž Œ Ÿ in 1252 file", "[\x8A\x8E\x8C\x9F]\nk=2", "šžœÿ", "k", "2"},
      {"1252 letters Š Ž Œ Ÿ in UTF-8 file", "[šžœÿ]\nk=2", "ŠŽŒŸ", "k", "2"},
      {"× and ÷ are no case pair", "[×]\nk=1", "÷", "k", std::string(kMissing)},
      {"argument in 1252 bytes", "[høy]\nk=1", "h\xF8y", "k", "1"},
      // Blanks and tabs.
      {"blanks around names and value", "[ timer3 ]\n  tiden \t=\t 7  \n", "timer3", "tiden", "7"},
      {"tabs around header", "\t[\ttimer3\t]\t\nk=1", "timer3", "k", "1"},
      {"blanks around arguments", "[s]\nk=1", " s\t", "\tk ", "1"},
      {"vertical tab, form feed, Ctrl-Z are blanks", "[\vs\f]\n\x1A\fk\v=\f\x1Av\v", "s", "k", "v"},
      {"DOS end of file after the value", "[s]\r\nk=v\x1A", "s", "k", "v"},
      {"inner blanks belong to names", "[my section]\nmy key=1", "MY SECTION", "my KEY", "1"},
      {"section name ends at the last ]", "[u] ; note ]\nk=3", "u] ; note", "k", "3"},
      {"not at the first ]", "[u] ; note ]\nk=3", "u", "k", std::string(kMissing)},
      {"text after ] is ignored", "[s] trailing text\nk=1", "s", "k", "1"},
      {"[ line without ] is ignored", "[s]\nk=1\n[t\nj=2", "s", "j", "2"},
      {"[ line without ] opens no section", "[ timer3 \nk=1", "timer3", "k", std::string(kMissing)},
      // Quotes.
      {"double quotes removed", "[s]\nk=\"a b\"", "s", "k", "a b"},
      {"single quotes removed", "[s]\nk='x'", "s", "k", "x"},
      {"quoted blanks kept", "[s]\nk=  \" padded \"  ", "s", "k", " padded "},
      {"only the outer pair", "[s]\nk=\"\"\"\"", "s", "k", "\"\""},
      {"inner quote kept", "[s]\nk=\"a\"b\"", "s", "k", "a\"b"},
      {"mixed quotes stay", "[s]\nk=\"x'", "s", "k", "\"x'"},
      {"lone quote stays", "[s]\nk=\"", "s", "k", "\""},
      {"opening quote only stays", "[s]\nk='a", "s", "k", "'a"},
      {"empty quotes give empty value", "[s]\nk=\"\"", "s", "k", ""},
      // Comments.
      {"comment line skipped", "[s]\n;k=1\nk=2", "s", "k", "2"},
      {"indented comment", "[s]\n \t;k=1\nk=2", "s", "k", "2"},
      {"# is part of the key", "[s]\n#k=1", "s", "#k", "1"},
      {"# line is no comment for k", "[s]\n#k=1", "s", "k", std::string(kMissing)},
      {"no inline comments", "[s]\na=7 ;x", "s", "a", "7 ;x"},
      {"commented header", ";[s]\nk=1", "s", "k", std::string(kMissing)},
      // Structure.
      {"first of duplicate sections", "[s]\nk=1\n[s]\nk=2\nj=3", "s", "k", "1"},
      {"second duplicate never searched", "[s]\nk=1\n[S]\nj=3", "s", "j", std::string(kMissing)},
      {"first of duplicate keys", "[s]\nk=1\nk=2", "s", "k", "1"},
      {"key before first section", "k=1\n[s]\nj=2", "s", "k", std::string(kMissing)},
      {"key of another section", "[a]\nk=1\n[b]\nj=2", "b", "k", std::string(kMissing)},
      {"missing section", "[s]\nk=1", "t", "k", std::string(kMissing)},
      {"line without = is a key with an empty value", "[s]\nk\nk=2", "s", "k", ""},
      {"value keeps further =", "[s]\nk=a=b", "s", "k", "a=b"},
      {"empty value is found", "[s]\nk=\nk=2", "s", "k", ""},
      {"blank lines skipped", "\n\n[s]\n\n \t\nk=1\n\n", "s", "k", "1"},
      {"CRLF line ends", "[s]\r\n\r\nk=1\r\n", "s", "k", "1"},
      {"CR-only line ends", "[s]\rk=1\r", "s", "k", "1"},
      {"no line end at file end", "[s]\nk=1", "s", "k", "1"},
      {"empty section argument", "[]\nk=1", "", "k", std::string(kMissing)},
      {"empty key argument", "[s]\n=1", "s", "", std::string(kMissing)},
      {"blank key argument", "[s]\n=1", "s", "  ", std::string(kMissing)},
      {"empty file", "", "s", "k", std::string(kMissing)},
      // A NUL ends a name or a value.
      {"NUL ends a value", "[s]\nk=\"a\" \0b\""s, "s", "k", "a"},
      {"NUL ends a section name", "[s\0x]\nk=1"s, "s", "k", "1"},
      {"NUL ends a key name", "[s]\nk \0x=1"s, "s", "k", "1"},
      {"NUL before the section", "\0\0\n[s]\nk=1"s, "s", "k", "1"},
      // Encodings.
      {"UTF-8 BOM skipped", "\xEF\xBB\xBF[s]\nk=ø", "s", "k", "ø"},
      {"BOM before invalid UTF-8", "\xEF\xBB\xBF[s]\nk=\xF8", "s", "k", "ø"},
      {"1252 high bytes", "[s]\nk=\x80\x81\x8D\x9F\xA0\xFF", "s", "k", "€\u0081\u008DŸ\u00A0ÿ"},
      {"each line its own encoding", "[h\xC3\xB8y]\nk=\xC3\xB8\xF8", "HØY", "k", "Ã¸ø"},
      {"UTF-16 LE", utf16(u"[s]\r\nk=ø😀\r\n", Utf16Decoder::ByteOrder::LittleEndian), "S", "K",
       "ø😀"},
      {"UTF-16 BE", utf16(u"[s]\r\nk=ø😀\r\n", Utf16Decoder::ByteOrder::BigEndian), "S", "K", "ø😀"},
      {"unfinished sequence at end", "[s]\nk=\xC3", "s", "k", "Ã"},
      {"surrogate bytes are not UTF-8", "[s]\nk=\xED\xA0\x80", "s", "k", "í\u00A0€"},
  };
  return cases;
}

TEST(ProfileRules, EachRuleCase) {
  for (const RuleCase& c : ruleCases()) {
    SCOPED_TRACE(c.rule);
    EXPECT_EQ(lookUp(c.file, c.section, c.key), c.expected);
  }
}

// Line ends and non-ASCII bytes are looked for eight bytes at a time: one at
// any place within such a word must be seen.
TEST(ProfileRules, LineEndOrNonAsciiByteAtAnyOffsetIsSeen) {
  for (std::size_t offset = 0; offset < 24; ++offset) {
    SCOPED_TRACE(offset);
    const std::string pad(offset, 'a'), blanks(offset, ' ');
    EXPECT_EQ(lookUp(blanks + "[s]\rk=1", "s", "k"), "1");
    EXPECT_EQ(lookUp("[s]\n" + blanks + "k=1\nk=2", "s", "k"), "1");
    EXPECT_EQ(lookUp("[s]\nk=" + pad + "\r\n", "s", "k"), pad);
    // One 1252 byte after valid UTF-8 makes the whole line 1252.
    EXPECT_EQ(lookUp("[s]\nk=\xC3\xB8" + pad + "\xF8", "s", "k"), "Ã¸" + pad + "ø");
    EXPECT_EQ(lookUp("[s]\nk=\xC3\xB8" + pad + "\xC3\xB8", "s", "k"), "ø" + pad + "ø");
  }
}

// The file is read in pieces; where the pieces break must not matter.
TEST(ProfileRules, SameResultForAnyPieceSize) {
  for (const std::size_t pieceSize : {1, 2, 3, 7}) {
    for (const RuleCase& c : ruleCases()) {
      SCOPED_TRACE(std::string(c.rule) + ", pieces of " + std::to_string(pieceSize));
      MemoryByteSource source(c.file, pieceSize);
      EXPECT_EQ(findProfileValue(source, c.section, c.key).value_or(std::string(kMissing)),
                c.expected);
    }
  }
}

TEST(ProfileListing, EachSectionOnceWithTheKeysThatLookupsFind) {
  const auto listing = profileSectionsFromBytes(
      "k=0\n[Shop]\na=1\n; c\nb\n[x\nc=2\n[ ]\nd=3\n[other]\n[SHOP]\ne=4\n[H\xD8Y]\n=5\nf=6");
  std::vector<std::string> seen;
  for (const ProfileSection& section : listing) {
    std::string keys;
    for (const std::string& key : section.keys) keys += " " + key;
    seen.push_back(section.name + ":" + keys);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Shop: a b c", "other:", "HØY: f"}));
}

TEST(ProfileBuffer, ResultIsCutToBufferSizeMinusOneCharacters) {
  const std::string a254(254, 'a');
  struct Case {
    const char* rule;
    std::string file;
    std::size_t bufferSize;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"254 characters whole", "[s]\nk=" + a254, 255, a254},
      {"255 characters cut to 254", "[s]\nk=" + a254 + "b", 255, a254},
      {"quotes removed before cutting", "[s]\nk=\"" + a254 + "b\"", 255, a254},
      {"characters, not bytes", "[s]\nk=øøøø", 3, "øø"},
      {"1252 characters", "[s]\nk=\xF8\xF8\xF8\xF8", 3, "øø"},
      {"size 1 leaves nothing", "[s]\nk=abc", 1, ""},
      {"size 0 leaves nothing", "[s]\nk=abc", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    EXPECT_EQ(lookUp(c.file, "s", "k", c.bufferSize), c.expected);
  }
}

TEST(ProfileBuffer, DefaultIsCutLikewise) {
  EXPECT_EQ(profileStringFromBytes("", "s", "k", "abcdef", 4), "abc");
  EXPECT_EQ(profileStringFromBytes("", "s", "k", "ææææ", 3), "ææ");
  EXPECT_EQ(profileStringFromBytes("", "s", "k", "abc", 0), "");
}

// Long input: the search keeps a bounded prefix of each line.
class LongInput : public ::testing::Test {
 protected:
  static constexpr std::size_t kTenMegabytes = 10 * 1024 * 1024;
  const std::string longText = std::string(kTenMegabytes, 'x');
};

TEST_F(LongInput, TenMegabyteValueIsCut) {
  EXPECT_EQ(lookUp("[s]\nk=" + longText + "\n", "s", "k"), std::string(254, 'x'));
}

TEST_F(LongInput, QuotesOfALongValueAreJudgedAtItsEnd) {
  EXPECT_EQ(lookUp("[s]\nk=\"" + longText + "\"  \n", "s", "k"), std::string(254, 'x'));
  EXPECT_EQ(lookUp("[s]\nk='" + longText + "\"\n", "s", "k"), "'" + std::string(253, 'x'));
  EXPECT_EQ(lookUp("[s]\nk=\"" + longText, "s", "k"), "\"" + std::string(253, 'x'));
}

TEST_F(LongInput, LongValueComesBackBoundedByTheKeptPrefix) {
  const std::string value = lookUp("[s]\nk=" + longText, "s", "k", kTenMegabytes);
  EXPECT_GT(value.size(), 254u);
  EXPECT_LE(value.size(), kMaxKeptLineBytes);
}

TEST_F(LongInput, KeptPrefixNeverEndsInsideACharacter) {
  std::string oes;
  for (std::size_t i = 0; i < kMaxKeptLineBytes; ++i) oes += "ø";
  const std::string value = lookUp("[s]\nk= " + oes, "s", "k", kTenMegabytes);
  EXPECT_TRUE(isValidUtf8(value));
  EXPECT_EQ(value.size() % 2, 0u);
  EXPECT_EQ(value.substr(value.size() - 2), "ø");
}

TEST_F(LongInput, LinesAroundTheWantedOnesDoNotDisturb) {
  EXPECT_EQ(lookUp(longText + "\n[s]\nk=1", "s", "k"), "1");
  EXPECT_EQ(lookUp("[" + longText + "]\nk=1\n[s]\nk=2", "s", "k"), "2");
  EXPECT_EQ(lookUp("[s]\n" + longText + "\nk=1", "s", "k"), "1");
  EXPECT_EQ(lookUp("[s]\n" + longText + "=1\nk=2", "s", "k"), "2");
}

TEST_F(LongInput, NameLongerThanTheKeptPrefixNeverMatches) {
  EXPECT_EQ(lookUp("[" + longText + "]\nk=1", longText, "k"), kMissing);
}

TEST(ManySections, HundredThousandSections) {
  std::string file;
  for (int i = 0; i < 100000; ++i)
    file += "[timer" + std::to_string(i) + "]\ntiden=" + std::to_string(i) + "\n";
  EXPECT_EQ(lookUp(file, "timer99999", "tiden"), "99999");
  EXPECT_EQ(lookUp(file, "timer100000", "tiden"), kMissing);
}

// 100 MB of settings handed out piece by piece without being held anywhere.
class GeneratedSource : public ByteSource {
 public:
  GeneratedSource(std::size_t fillerPieces, std::string ending)
      : fillerPieces_(fillerPieces), ending_(std::move(ending)) {
    while (filler_.size() < kReadChunkBytes - 32) filler_ += "[filler]\nkey=value\n";
  }
  std::string_view next() override {
    ++handedOut_;
    if (handedOut_ <= fillerPieces_) return filler_;
    return handedOut_ == fillerPieces_ + 1 ? std::string_view(ending_) : std::string_view();
  }
  bool failed() const override { return false; }

 private:
  std::size_t fillerPieces_;
  std::string ending_;
  std::string filler_;
  std::size_t handedOut_ = 0;
};

TEST(ManySections, HundredMegabytesStreamed) {
  const std::size_t pieces = 100 * 1024 * 1024 / kReadChunkBytes;
  GeneratedSource source(pieces, "[wanted]\nkey=found\n"), again(pieces, "");
  EXPECT_EQ(findProfileValue(source, "wanted", "key"), "found");
  EXPECT_EQ(findProfileValue(again, "filler", "key"), "value");
}

class FailingSource : public ByteSource {
 public:
  std::string_view next() override {
    failed_ = true;
    return {};
  }
  bool failed() const override { return failed_; }

 private:
  bool failed_ = false;
};

TEST(FailingInput, ReadErrorGivesNothing) {
  FailingSource source;
  EXPECT_EQ(findProfileValue(source, "s", "k"), std::nullopt);
}

// Each *.ini under tests/data/ini has a *.expected beside it: one line per
// lookup, "section<TAB>key<TAB>value", read with a buffer of 255.
TEST(GoldenFiles, EachFileGivesItsExpectedValues) {
  const char* dataFolder = std::getenv("VELMO_TEST_DATA");
  if (dataFolder == nullptr) GTEST_SKIP() << "VELMO_TEST_DATA is not set";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(dataFolder) / "ini")) {
    if (entry.path().extension() != ".ini") continue;
    ++files;
    fs::path expectedPath = entry.path();
    std::ifstream expected(expectedPath.replace_extension(".expected"));
    ASSERT_TRUE(expected) << expectedPath;
    for (std::string line; std::getline(expected, line);) {
      const auto tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
      ASSERT_NE(tab2, std::string::npos) << expectedPath << ": " << line;
      const std::string section = line.substr(0, tab1),
                        key = line.substr(tab1 + 1, tab2 - tab1 - 1);
      SCOPED_TRACE(entry.path().filename().string() + " [" + section + "] " + key);
      EXPECT_EQ(GetPrivateProfileString(section, key, "", 255, entry.path()),
                line.substr(tab2 + 1));
    }
  }
  EXPECT_GE(files, 9);
}

// Paths in a fresh temporary folder.
class FileSystemCases : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string read(const std::string& path) {
    return GetPrivateProfileString("s", "k", "default", 255, path);
  }

  TempFolder folder;
};

TEST_F(FileSystemCases, RegularFileAndLinkToItAreRead) {
  const std::string file = write("a.ini", "[s]\nk=1\n");
  fs::create_symlink(file, folder / "link.ini");
  EXPECT_EQ(read(file), "1");
  EXPECT_EQ(read(folder / "link.ini"), "1");
}

TEST_F(FileSystemCases, WhatIsNotARegularFileReadsAsMissing) {
  const std::string fifo = folder / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(folder / "folder.ini");
  fs::create_symlink("/dev/zero", folder / "zero.ini");
  fs::create_symlink(folder / "gone.ini", folder / "dangling.ini");
  for (const std::string name :
       {"missing.ini", "fifo.ini", "folder.ini", "zero.ini", "dangling.ini"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(read(folder / name), "default");
  }
  EXPECT_EQ(read(""), "default");
  EXPECT_EQ(read(write("a.ini", "[s]\nk=1") + "\0"s), "default");
}

TEST_F(FileSystemCases, UnreadableFileReadsAsMissing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
  const std::string file = write("secret.ini", "[s]\nk=1\n");
  fs::permissions(file, fs::perms::none);
  EXPECT_EQ(read(file), "default");
}

TEST_F(FileSystemCases, EveryCallReadsTheFileAfresh) {
  const std::string file = write("a.ini", "[s]\nk=1\n");
  EXPECT_EQ(read(file), "1");
  write("a.ini", "[s]\nk=2\n");
  EXPECT_EQ(read(file), "2");
  fs::remove(file);
  EXPECT_EQ(read(file), "default");
}

}  // namespace
}  // namespace velmo
