// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ini/profile_search.h"

namespace velmo {

// Our stand-in for the Windows GetPrivateProfileString, with its rules for
// hand-edited settings files:
// - Section and key names match in any case (ASCII, Latin-1 and the
//   Windows-1252 letters Š Ž Œ Ÿ); values keep their case.
// - Blanks are space, tab, vertical tab, form feed and Ctrl-Z (with which
//   DOS editors end a file). Blanks around section names, keys and values are
//   ignored, and around the section and key arguments too.
// - A line whose first non-blank character is "[" is a section header when
//   it holds a "]": the name runs to the last "]" of the line, and what
//   follows that "]" is ignored. A "[" line without "]" is ignored; the
//   section before it goes on.
// - A line whose first non-blank character is ";" is a comment; there are no
//   other comments. Blank lines and comments hold no key.
// - Any other line is a key: its name runs to the first "=" and its value
//   from there to the line end; a line without "=" is a key whose value is
//   empty.
// - A NUL byte ends the name, value or argument it is in (blanks before it
//   are ignored as at a line end); the "=" and the last "]" are looked for in
//   the whole line all the same.
// - One outer pair of matching quotes (" or ') is removed from a value of two
//   or more characters.
// - Only the first section of a given name is searched, and its first
//   matching key wins; keys before the first section are never found.
// - Lines end with CR LF, LF or CR.
// - A file that starts with a UTF-16 byte-order mark (FF FE or FE FF) is
//   UTF-16, little- or big-endian; an unpaired surrogate or an odd last byte
//   reads as U+FFFD. In any other file, each line that is valid UTF-8 is read
//   as UTF-8 and any other line as Windows-1252; a leading UTF-8 BOM is
//   skipped. Arguments are UTF-8 (an argument that is not valid UTF-8 is read
//   as Windows-1252); the result is UTF-8.
// - Of any line only the first kMaxKeptLineBytes (64 KiB, profile_search.h;
//   of a UTF-16 file, of its UTF-8 form) are looked at: longer names never
//   match, and a longer value comes back cut to what lies within that prefix.
//
// Returns the value of key in section, or defaultValue when the file, the
// section or the key is missing or a name is empty, cut in either case to
// bufferSize - 1 characters (Unicode code points; "" for a bufferSize of 0).
// A path that is not a readable regular file (a folder, FIFO, device or a
// link to one) reads as missing. Reads the file afresh on every call, in
// bounded memory and linear time. Never blocks and raises no error.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path);

// The same rules applied to file content held in memory (tests, fuzzing).
std::string profileStringFromBytes(std::string_view fileBytes, std::string_view section,
                                   std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize);

// The sections of file content held in memory, with their keys, by the same
// rules (see listProfileSections).
std::vector<ProfileSection> profileSectionsFromBytes(std::string_view fileBytes);

}  // namespace velmo
