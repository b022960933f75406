// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// For the C entries of a shared object: no exception leaves them, and why a
// call failed is kept for the object's error entry. Plain storage, so no
// thread-local object needs destroying; each shared object (built with
// hidden visibility) has its own.
#include <cstdio>
#include <exception>

namespace velmo {

inline thread_local bool lastEntryFailed = false;
inline thread_local char lastEntryFailure[4096];

// Runs call and returns its result; when it throws, keeps what() (or
// unknownFailure, for anything but a std::exception) and returns failed.
template <typename Result, typename Call>
Result guardedEntry(Result failed, const char* unknownFailure, Call call) noexcept {
  const auto keep = [](const char* reason) {
    std::snprintf(lastEntryFailure, sizeof lastEntryFailure, "%s", reason);
    lastEntryFailed = true;
  };
  lastEntryFailed = false;
  try {
    return call();
  } catch (const std::exception& error) {
    keep(error.what());
  } catch (...) {
    keep(unknownFailure);
  }
  return failed;
}

// Why the calling thread's last guarded call failed, or nullptr when it
// succeeded. Valid until that thread's next guarded call.
inline const char* entryFailureText() noexcept {
  return lastEntryFailed ? lastEntryFailure : nullptr;
}

}  // namespace velmo
