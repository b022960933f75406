// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/command.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "dbus/chaser_facts.h"
#include "port/port_lines.h"

namespace velmo::cli {
namespace {

// A word of a command that stands for a value, and how to read it.
struct Placeholder {
  std::string_view name;  // as the command forms write it
  std::string_view rule;  // for a value it does not take
  std::optional<unsigned> (*read)(std::string_view word);
};

template <unsigned kLow, unsigned kHigh>
std::optional<unsigned> numberIn(std::string_view word) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
  if (word.empty() || error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  if (number < kLow || number > kHigh) return std::nullopt;
  return number;
}

// A speed factor, 0.25 to 4 with a point for decimals whatever the locale,
// in thousandths.
std::optional<unsigned> speedIn(std::string_view word) {
  double speed = 0;
  const auto [end, error] =
      std::from_chars(word.data(), word.data() + word.size(), speed, std::chars_format::fixed);
  if (word.empty() || error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  if (!(speed >= dbus::kMinSpeed && speed <= dbus::kMaxSpeed)) return std::nullopt;
  return static_cast<unsigned>(std::lround(speed * kSpeedUnit));
}

std::optional<unsigned> onOrOff(std::string_view word) {
  if (word == "on") return 1;
  if (word == "off") return 0;
  return std::nullopt;
}

// An operand that may be left out and is taken as text: the schedule file.
constexpr std::string_view kFileWord = "[FILE]";

constexpr Placeholder kPlaceholders[] = {
    {"PATTERN", "PATTERN must be 1 to 99", numberIn<1, dbus::kLastPatternNumber>},
    {"SPEED", "SPEED must be 0.25 to 4", speedIn},
    {"LINE", "LINE must be 1 to 8", numberIn<1, port::kLineCount>},
    {"STATE", "STATE must be on or off", onOrOff},
};

// A command's words: fixed words, then placeholders; "" fills the rest.
struct CommandForm {
  Action action;
  std::array<std::string_view, 3> words;
};

constexpr CommandForm kForms[] = {
    {Action::kChaserStart, {"chaser", "start", "PATTERN"}},
    {Action::kChaserStop, {"chaser", "stop", ""}},
    {Action::kChaserList, {"chaser", "list", ""}},
    {Action::kChaserSpeed, {"chaser", "speed", "SPEED"}},
    {Action::kChaserTap, {"chaser", "tap", ""}},
    {Action::kSetLine, {"line", "LINE", "STATE"}},
    {Action::kStatus, {"status", "", ""}},
    {Action::kRemoteUrl, {"remote", "url", ""}},
    {Action::kRemoteOpen, {"remote", "open", ""}},
    {Action::kScheduleList, {"schedule", "list", kFileWord}},
    {Action::kScheduleRun, {"schedule", "run", kFileWord}},
};

const Placeholder* placeholder(std::string_view word) {
  for (const Placeholder& each : kPlaceholders)
    if (each.name == word) return &each;
  return nullptr;
}

std::string joined(std::span<const std::string_view> words) {
  std::string text;
  for (const std::string_view word : words) {
    if (word.empty()) break;
    text += (text.empty() ? "" : " ") + std::string(word);
  }
  return text;
}

// Whether the operands begin with all of the form's fixed words.
bool beginsWithFixedWords(const CommandForm& form, std::span<const std::string_view> operands) {
  std::size_t matched = 0;
  for (const std::string_view word : form.words) {
    if (word.empty() || word == kFileWord || placeholder(word)) return true;
    if (matched == operands.size() || operands[matched] != word) return false;
    ++matched;
  }
  return true;
}

std::string unknownCommand(std::span<const std::string_view> operands) {
  std::string forms;
  for (const CommandForm& form : kForms) forms += (forms.empty() ? "" : ", ") + joined(form.words);
  const std::string given = joined(operands);
  return (given.empty() ? "no command given" : "unknown command " + given) + "; the commands are " +
         forms;
}

// The operands read as form, whose fixed words they begin with.
std::variant<Command, std::string> readAs(const CommandForm& form,
                                          std::span<const std::string_view> operands) {
  Command command{form.action, {}, false, {}};
  std::size_t next = 0;
  for (const std::string_view word : form.words) {
    if (word.empty()) break;
    if (word == kFileWord) {
      if (next < operands.size()) command.file = operands[next++];
      continue;
    }
    const Placeholder* value = placeholder(word);
    if (!value) {
      ++next;
      continue;
    }
    if (next == operands.size())
      return joined(form.words) + ": " + std::string(word) + " is missing";
    const std::optional<unsigned> read = value->read(operands[next++]);
    if (!read) return joined(operands.first(next)) + ": " + std::string(value->rule);
    command.arguments.push_back(*read);
  }
  if (next < operands.size()) {
    return "unexpected argument " + std::string(operands[next]) + " after " +
           joined(operands.first(next));
  }
  return command;
}

}  // namespace

std::variant<Command, std::string> readCommand(std::span<const std::string_view> operands,
                                               bool json) {
  for (const CommandForm& form : kForms) {
    if (!beginsWithFixedWords(form, operands)) continue;
    auto command = readAs(form, operands);
    if (auto* read = std::get_if<Command>(&command)) {
      if (json && read->action != Action::kStatus) return "--json goes with status only";
      read->json = json;
    }
    return command;
  }
  return unknownCommand(operands);
}

}  // namespace velmo::cli
