// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/schedule_runner.h"

#include <QString>
#include <chrono>
#include <variant>

#include "schedule/schedule_file.h"
#include "system/paths.h"

namespace velmo::cli {
namespace {

constexpr int kSettleMs = 300;
// With no event ahead the alarm is still armed, as only an armed alarm
// hears the clock being set.
constexpr std::chrono::days kIdleWake{400};

schedule::Instant wallClockNow() {
  return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

}  // namespace

ScheduleRunner::ScheduleRunner(const std::string& path, schedule::Programs& programs,
                               std::ostream& out, std::ostream& err)
    : path_(path),
      out_(out),
      err_(err),
      player_(programs, zone_, out),
      alarmNotifier_(alarm_.descriptor(), QSocketNotifier::Read) {
  QObject::connect(&alarmNotifier_, &QSocketNotifier::activated, [this] { wake(); });
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  QObject::connect(&settle_, &QTimer::timeout, [this] { reread(); });
  QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this] { settle_.start(); });
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, [this] { settle_.start(); });
}

bool ScheduleRunner::start() {
  auto read = schedule::readScheduleFile(path_);
  if (const auto* problem = std::get_if<std::string>(&read)) {
    err_ << "velmo: " << *problem << '\n';
    return false;
  }
  player_.setSchedule(std::get<schedule::Schedule>(std::move(read)));
  out_ << "running the schedule " << path_ << '\n';
  watcher_.addPath(QString::fromStdString(folderOf(path_)));
  watchFile();
  update();
  return true;
}

void ScheduleRunner::wake() {
  alarm_.acknowledge();
  update();
}

void ScheduleRunner::reread() {
  watchFile();  // an editor that saves by renaming leaves the old file watched
  auto read = schedule::readScheduleFile(path_);
  if (const auto* problem = std::get_if<std::string>(&read)) {
    if (*problem != lastProblem_)
      err_ << "velmo: " << *problem << "; running on with the schedule read before" << std::endl;
    lastProblem_ = *problem;
    return;
  }
  const bool mended = !lastProblem_.empty();
  lastProblem_.clear();
  auto& schedule = std::get<schedule::Schedule>(read);
  if (schedule == player_.schedule() && !mended) return;
  player_.setSchedule(std::move(schedule));
  out_ << "read the changed schedule " << path_ << '\n';
  update();
}

void ScheduleRunner::update() {
  const schedule::Instant now = wallClockNow();
  alarm_.arm(player_.update(now).value_or(now + kIdleWake));
}

void ScheduleRunner::watchFile() {
  const QString file = QString::fromStdString(path_);
  if (!watcher_.files().contains(file)) watcher_.addPath(file);
}

}  // namespace velmo::cli
