// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/show_player.h"

#include <algorithm>
#include <tuple>

#include "schedule/calendar.h"

namespace velmo::schedule {
namespace {

constexpr std::chrono::days kSkipsTold{400};

std::string key(const Show& show) {
  return show.name + "\n" + show.what();
}

bool contains(const std::vector<std::string>& keys, const std::string& wanted) {
  return std::ranges::find(keys, wanted) != keys.end();
}

// The value of the latest started run of that kind; the later in the file
// of two started together.
std::optional<unsigned> latest(const Schedule& schedule, const std::vector<Occurrence>& runs,
                               Show::Kind kind) {
  const Occurrence* chosen = nullptr;
  for (const Occurrence& run : runs) {
    if (schedule.shows[run.show].kind != kind) continue;
    if (!chosen || std::tie(run.start, run.show) > std::tie(chosen->start, chosen->show))
      chosen = &run;
  }
  if (!chosen) return std::nullopt;
  return schedule.shows[chosen->show].value;
}

}  // namespace

std::optional<Instant> ShowPlayer::update(Instant now) {
  const Calendar calendar(schedule_, zone_);
  const std::vector<Occurrence> runs = calendar.runsAt(now);
  std::vector<std::string> onNow;
  for (const Occurrence& run : runs) onNow.push_back(key(schedule_.shows[run.show]));
  const std::string stamp = localText(localTimeAt(zone_, now));
  for (const std::string& show : on_) {
    if (!contains(onNow, show))
      log_ << stamp << " stop " << show.substr(0, show.find('\n')) << '\n';
  }
  for (const Occurrence& run : runs) {
    const Show& show = schedule_.shows[run.show];
    if (!contains(on_, key(show)))
      log_ << stamp << " start " << show.name << ' ' << show.what() << '\n';
  }
  on_ = std::move(onNow);
  showPattern(latest(schedule_, runs, Show::Kind::kPattern));
  const auto lines = latest(schedule_, runs, Show::Kind::kLines);
  showLines(lines ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*lines)) : std::nullopt);

  const std::optional<Event> next = calendar.nextAfter(now);
  tellSkipsUntil(now, next ? next->at : now + kSkipsTold);
  if (next) log_ << "next: " << calendar.line(*next) << '\n';
  log_.flush();
  return next ? std::optional<Instant>(next->at) : std::nullopt;
}

void ShowPlayer::showPattern(std::optional<unsigned> pattern) {
  if (pattern) {
    if (pattern_ != pattern) pattern_ = programs_.startPattern(*pattern) ? pattern : std::nullopt;
  } else if (pattern_ && *pattern_ != 0) {
    pattern_ = programs_.stopPattern() ? std::optional<unsigned>(0) : std::nullopt;
  }
}

void ShowPlayer::showLines(std::optional<std::uint8_t> lines) {
  if (lines) {
    if (lines_ != lines) lines_ = programs_.setLines(*lines) ? lines : std::nullopt;
  } else if (lines_ && *lines_ != 0) {
    lines_ = programs_.setLines(0) ? std::optional<std::uint8_t>(0) : std::nullopt;
  }
}

void ShowPlayer::tellSkipsUntil(Instant now, Instant until) {
  const Calendar calendar(schedule_, zone_);
  for (const Event& event : calendar.eventsBetween(now, until)) {
    if (event.kind != Event::Kind::kSkip) continue;
    const std::string line = calendar.line(event);
    if (toldSkips_.insert(line).second) log_ << line << '\n';
  }
}

}  // namespace velmo::schedule
