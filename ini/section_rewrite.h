// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmo {

// A section to write: its name and its keys with their values, in order,
// all UTF-8 (line breaks and NULs in them are written as spaces).
struct SectionEntries {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
};

// The bytes of a settings file with some of its sections written anew and
// every other byte as it was. Lines, section headers, comments and names are
// told apart by the reader's rules (profile_reader.h). For each section whose
// name `replaced` accepts (given as the reader reads it, UTF-8, blanks
// around it removed):
//  - when `sections` holds one of that name (in any case) not written yet,
//    the section's key lines give way to its entries, written where the
//    first key line stood (or after the header): the header, comments and
//    blank lines stay;
//  - otherwise the section goes, with its header, comments and blank lines.
// The sections not written that way follow the last section `replaced`
// accepts, or end the file. New lines take the file's first line end (LF in a
// file without one) and its encoding: UTF-16 in its byte order after a UTF-16
// byte-order mark; else UTF-8, or Windows-1252 when some line of the file is
// Windows-1252 and the new text can be written in it. A value that the reader
// would trim or unquote is written in quotes.
std::string rewriteSections(std::string_view fileBytes,
                            const std::function<bool(std::string_view name)>& replaced,
                            const std::vector<SectionEntries>& sections);

}  // namespace velmo
