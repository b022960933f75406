// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/section_rewrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmo {
namespace {

struct RewriteCase {
  const char* rule;
  std::string file;
  std::vector<SectionEntries> sections;
  std::string expected;
};

// The sections whose names start with p (in any case) are the ones replaced;
// encodings and golden files of whole settings files are in
// tests/chaser/pattern_save_test.cpp.
TEST(SectionRewrite, EachRuleCase) {
  const RewriteCase cases[] = {
      {"a section that goes leaves the comment before the next one",
       "[p1]\nk=1\n\n; timers\n[t]\nx=1\n",
       {},
       "; timers\n[t]\nx=1\n"},
      {"a later section of a name written goes",
       "[p1]\nk=1\n[P1]\nk=2\n",
       {{"p1", {{"k", "3"}}}},
       "[p1]\nk=3\n"},
      {"a section without keys gets its entries after its header",
       "[p1]\n; note\n",
       {{"p1", {{"k", "v"}}}},
       "[p1]\nk=v\n; note\n"},
      {"an empty file gets the sections alone",
       "",
       {{"p1", {{"k", "v"}}}, {"p2", {}}},
       "[p1]\nk=v\n\n[p2]\n"},
      {"values the reader would trim or unquote are quoted",
       "[t]\n",
       {{"p1", {{"a", " x"}, {"b", "'y'"}, {"c", "z\n"}}}},
       "[t]\n\n[p1]\na=\" x\"\nb=\"'y'\"\nc=\"z \"\n"},
      {"new text in Windows-1252 where the file has it",
       "[t]\nn=\xF8\n",
       {{"p1", {{"n", "ø€"}}}},
       "[t]\nn=\xF8\n\n[p1]\nn=\xF8\x80\n"},
      {"and in UTF-8 where Windows-1252 cannot hold it",
       "[t]\nn=\xF8\n",
       {{"p1", {{"n", "ø€Ω"}}}},
       "[t]\nn=\xF8\n\n[p1]\nn=ø€Ω\n"},
      {"the file's line ends, CR alone too",
       "[t]\rx=1",
       {{"p1", {{"k", "v"}}}},
       "[t]\rx=1\r\r[p1]\rk=v\r"},
  };
  for (const RewriteCase& c : cases) {
    const auto replaced = [](std::string_view name) { return name[0] == 'p' || name[0] == 'P'; };
    EXPECT_EQ(rewriteSections(c.file, replaced, c.sections), c.expected) << c.rule;
  }
}

}  // namespace
}  // namespace velmo
