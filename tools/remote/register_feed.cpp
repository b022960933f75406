// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/register_feed.h"

#include <exception>
#include <iostream>

namespace velmo::remote {

RegisterFeed::RegisterFeed(std::unique_ptr<port::RegisterWatcher> watcher, QObject* parent)
    : QObject(parent),
      watcher_(std::move(watcher)),
      notifier_(watcher_->descriptor(), QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, &RegisterFeed::mayHaveChanged);
}

void RegisterFeed::mayHaveChanged() {
  try {
    if (watcher_->update()) emit changed();
  } catch (const std::exception& error) {
    // The watch goes on and a later write is seen again; the lamps keep the
    // last byte meanwhile.
    std::cerr << "velmo-remote: " << error.what() << std::endl;
  }
}

}  // namespace velmo::remote
