// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of a lines module. Everything else in the module is hidden,
// and no exception leaves it.
#include "port/backends/lines_module_entries.h"

#include "port/backends/lines_module.h"
#include "system/guarded_entry.h"

struct VelmoLines {
  std::unique_ptr<velmo::port::OutputLines> lines;
  std::string remark;
};

namespace {

constexpr const char* kUnknownFailure = "The lines module failed for an unknown reason.";

// Runs use: VELMO_LINES_DONE, VELMO_LINES_AWAY when the device cannot be
// reached now, or VELMO_LINES_REFUSED; the reason is kept for
// VelmoLinesError.
template <typename Use>
int outcomeOf(Use use) {
  bool away = false;
  const int outcome = velmo::guardedEntry(VELMO_LINES_REFUSED, kUnknownFailure, [&] {
    try {
      use();
    } catch (const velmo::port::OutputAwayError&) {
      away = true;
      throw;
    }
    return VELMO_LINES_DONE;
  });
  return away ? VELMO_LINES_AWAY : outcome;
}

}  // namespace

extern "C" {

VelmoLines* VelmoLinesOpen(const char* const* fields, uint32_t count) {
  return velmo::guardedEntry<VelmoLines*>(nullptr, kUnknownFailure, [&] {
    return new VelmoLines{velmo::port::makeModuleLines({fields, fields + count}), {}};
  });
}

int VelmoLinesCheck(VelmoLines* lines) {
  return outcomeOf([&] { lines->lines->check(); });
}

int VelmoLinesWrite(VelmoLines* lines, uint8_t value) {
  return outcomeOf([&] { lines->lines->write(value); });
}

void VelmoLinesRelease(VelmoLines* lines) {
  velmo::guardedEntry(0, kUnknownFailure, [&] {
    lines->lines->release();
    return 0;
  });
}

int VelmoLinesReachedDescriptor(VelmoLines* lines) {
  return lines->lines->reachedDescriptor();
}

const char* VelmoLinesRemark(VelmoLines* lines) {
  return velmo::guardedEntry<const char*>(nullptr, kUnknownFailure, [&]() -> const char* {
    lines->remark = lines->lines->takeRemark();
    return lines->remark.empty() ? nullptr : lines->remark.c_str();
  });
}

void VelmoLinesClose(VelmoLines* lines) {
  delete lines;
}

const char* VelmoLinesError(void) {
  const char* failure = velmo::entryFailureText();
  return failure ? failure : "";
}

}  // extern "C"
