// SPDX-License-Identifier: GPL-3.0-or-later
// The switch-panel window on Qt's offscreen platform, started on hostile
// Velmo.ini files in a real program folder and read through the real
// ReadIniString: the sixteen buttons show what the reader's rules give, and
// nothing blocks or crashes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ini/text_encoding.h"
#include "switchpanel/form1.h"
#include "switchpanel/qt_notification_area.h"
#include "switchpanel/switch_panel.h"
#include "tests/reliability/hostile_settings.h"
#include "tests/support/qt_application.h"
#include "tests/support/recording_port.h"

namespace velmo::switchpanel {
namespace {

using namespace std::string_literals;
using namespace reliability;
using Captions = std::map<int, std::string>;  // button -> caption (UTF-8), blanks left out

constexpr std::size_t kMegabyte = 1024 * 1024;
constexpr std::size_t kBigFileMegabytes = VELMO_HOSTILE_BIG_MB;  // 100; 10 under sanitizers

class PanelHostileSettings : public ::testing::Test {
 protected:
  std::string settingsPath() const { return folder / "Velmo.ini"; }

  // Builds the window on the program folder, runs its start-up and shows it;
  // the captions its buttons carry (a caption cut to fit its button is whole
  // in the tooltip).
  Captions start() {
    SwitchPanel panel(port, folder.path());
    Form1 window(panel, area);
    panel.Form_Load();
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    Captions captions;
    for (int button = 1; button <= kButtonCount; ++button) {
      const QPushButton* widget = window.commandButton(button);
      const QString text = widget->toolTip().isEmpty() ? widget->text() : widget->toolTip();
      if (!text.isEmpty()) captions[button] = text.toStdString();
    }
    return captions;
  }

  QApplication& app = test::application();
  TempFolder folder;
  test::EventLog log;
  test::RecordingPort port{log};
  QtNotificationArea area;
};

// "ø" in the two encodings a settings file may use.
const std::string kUtf8 = "\xC3\xB8";
const std::string k1252 = "\xF8";

// A Velmo.ini body: for each button number, its own section (its "ø" in
// sectionEncoding) and key set to the caption bytes as given.
std::string panelSettings(const Captions& captions, TextEncoding sectionEncoding) {
  std::string text;
  for (const auto& [button, caption] : captions) {
    std::string section = captionSection(button);
    if (const auto oe = section.find(kUtf8);
        oe != section.npos && sectionEncoding == TextEncoding::Windows1252)
      section.replace(oe, kUtf8.size(), k1252);
    text += settingsEntry(section, captionKey(button), caption);
  }
  return text;
}

std::string repeated(const std::string& text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

TEST_F(PanelHostileSettings, EachHostileFileGivesWhatTheReaderRulesGive) {
  // Sections Utgang100000høy down to Utgang1høy, so the wanted ones come last.
  std::string manySections;
  Captions oddButtons;
  for (int line = 100000; line >= 1; --line) {
    const std::string caption = "Knapp " + std::to_string(line);
    manySections += "[Utgang" + std::to_string(line) + "h" + kUtf8 + "y]\ncommand" +
                    std::to_string(2 * line - 1) + "=" + caption + "\n";
    if (line <= 8) oddButtons[2 * line - 1] = caption;
  }
  const std::string tenMegabytes(10 * kMegabyte, 'A');

  struct Case {
    const char* name;
    std::string file;
    Captions expected;
  };
  const Case cases[] = {
      {"NUL bytes end names and values",
       "\0\n[Utgang1h"s + kUtf8 +
           "y]\ncommand1=P\xC3\xA5\0vifte\0\n[Utgang1lav\0]\ncommand2=x\n"
           "[Utgang2lav]\n\0command4=y\ncommand4=\0\0\n"s,
       {{1, "På"}, {2, "x"}}},
      {"Windows-1252 captions in a UTF-8 file: each line is read on its own",
       "[Utgang1h" + kUtf8 + "y]\ncommand1=Vifte \xE6 1\n[Utgang1lav]\ncommand2=Av \x80\n",
       {{1, "Vifte æ 1"}, {2, "Av €"}}},
      {"a UTF-8 caption in a Windows-1252 file",
       "[Utgang1h" + k1252 +
           "y]\ncommand1=Vifte \xE6 1\n[Utgang1lav]\ncommand2=Sl\xC3\xA5 av\n"
           "[Utgang2h" +
           k1252 + "y]\ncommand3=\x93\x80\x94 \x81\n",
       {{1, "Vifte æ 1"}, {2, "Slå av"}, {3, "“€” \u0081"}}},
      {"10 MB caption is cut to 254 characters",
       "[Utgang1h" + kUtf8 + "y]\ncommand1=" + tenMegabytes + "\n[Utgang1lav]\ncommand2=Av\n",
       {{1, std::string(254, 'A')}, {2, "Av"}}},
      {"10 MB caption of two-byte characters is cut to 254 of them",
       "[Utgang1h" + kUtf8 + "y]\ncommand1=" + repeated(kUtf8, 5 * kMegabyte),
       {{1, repeated(kUtf8, 254)}}},
      {"10 MB quoted caption loses its opening quote",
       "[Utgang1h" + kUtf8 + "y]\ncommand1=\"" + tenMegabytes + "\"\n",
       {{1, std::string(254, 'A')}}},
      {"10 MB line before the sections",
       "[x]\n" + tenMegabytes + "\r\n[Utgang8lav]\r\ncommand16=Av 8\r\n",
       {{16, "Av 8"}}},
      {"header [ alone is ignored: the section before it goes on",
       "[Utgang1h" + kUtf8 + "y]\n[\ncommand1=x\n[Utgang1lav]\ncommand2=Av\n",
       {{1, "x"}, {2, "Av"}}},
      {"header [ alone before the sections",
       "[\ncommand1=x\n[Utgang1h" + kUtf8 + "y]\ncommand1=P\xC3\xA5\n[",
       {{1, "På"}}},
      {"100,000 sections", manySections, oddButtons},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(settingsPath(), c.file);
    EXPECT_EQ(start(), c.expected);
  }
}

TEST_F(PanelHostileSettings, PathThatIsNoReadableFileGivesSixteenBlankButtons) {
  for (const UnusablePath& kind : unusablePaths()) {
    SCOPED_TRACE(kind.kind);
    std::filesystem::remove_all(settingsPath());
    kind.make(settingsPath());
    EXPECT_EQ(start(), Captions{});
  }
}

Captions allCaptions(const std::string& prefix) {
  Captions captions;
  for (int button = 1; button <= kButtonCount; ++button)
    captions[button] = prefix + " " + std::to_string(button);
  return captions;
}

// The captions after 100 MB of other sections, found in bounded memory.
TEST_F(PanelHostileSettings, BigFileGivesTheRightCaptions) {
  const Captions captions = allCaptions("Bryter");
  writeWithFiller(settingsPath(), kBigFileMegabytes * kMegabyte,
                  panelSettings(captions, TextEncoding::Windows1252));
  const long peakBefore = peakResidentKb();
  EXPECT_EQ(start(), captions);
  EXPECT_LT(peakResidentKb() - peakBefore, 64 * 1024) << "kB more to read the file";
}

// A writer replaces the file over and over, atomically and in place, while
// the panel starts again and again: every start-up completes, and each
// caption is blank or (the start of) one that a version holds, read as
// UTF-8 or, when a read of a file cut short ends inside a character, as
// Windows-1252.
TEST_F(PanelHostileSettings, FileRewrittenDuringStartUpNeverCrashes) {
  struct Version {
    Captions captions;
    TextEncoding sectionEncoding;
  };
  const std::vector<Version> versions = {{allCaptions("Vifte"), TextEncoding::Windows1252},
                                         {allCaptions("Utgang \xC3\xB8"), TextEncoding::Utf8},
                                         {allCaptions("Lys"), TextEncoding::Utf8}};
  std::vector<std::string> files;
  std::vector<std::string> knownCaptions;
  for (const Version& version : versions) {
    files.push_back(panelSettings(version.captions, version.sectionEncoding));
    for (const auto& [button, caption] : version.captions) {
      knownCaptions.push_back(caption);
      knownCaptions.push_back(toUtf8(caption, TextEncoding::Windows1252));
    }
  }
  files.push_back(std::string(200 * 1024, ';') + "\n" + files[0]);
  files.push_back("");

  std::atomic<bool> stop = false;
  std::thread writer([&] {
    const std::string staged = folder / "staged.ini";
    for (std::size_t round = 0; !stop; ++round) {
      const std::string& file = files[round % files.size()];
      if (round % 2 == 0) {
        writeFile(settingsPath(), file);  // truncated, then written
      } else {
        writeFile(staged, file);
        std::filesystem::rename(staged, settingsPath());
      }
    }
  });
  for (int run = 0; run < 150; ++run) {
    for (const auto& [button, caption] : start()) {
      const bool known = std::ranges::any_of(
          knownCaptions,
          [&caption = caption](const std::string& whole) { return whole.starts_with(caption); });
      EXPECT_TRUE(known) << "Command" << button << ": " << caption;
    }
  }
  stop = true;
  writer.join();
}

}  // namespace
}  // namespace velmo::switchpanel
