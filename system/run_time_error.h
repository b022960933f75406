// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

namespace velmo {

// An error that ends the program. Nothing inside a handler catches it; the
// window shell reports what() in a message box and on standard error, then
// exits with a non-zero status. what() must say what went wrong and what to fix.
class RunTimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value did not fit the type it was converted to (a port byte, a 32-bit
// number).
class OverflowError : public RunTimeError {
 public:
  using RunTimeError::RunTimeError;
};

// A control property was given a value outside its range (a timer interval
// outside 0..65535 ms).
class InvalidPropertyValue : public RunTimeError {
 public:
  using RunTimeError::RunTimeError;
};

}  // namespace velmo
