// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with a message when an invariant does not hold; libFuzzer
// then saves the input that broke it.
#define FUZZ_CHECK(condition) \
  ((condition) ? void() : velmo::fuzz::checkFailed(#condition, __FILE__, __LINE__))

namespace velmo::fuzz {

[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace velmo::fuzz
