#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a tracked C++ file is not formatted as the checked-in
# .clang-format says, and names the files. Needs clang-format
# (scripts/install-deps.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."

if report=$(git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror 2>&1); then
  echo "Formatting: every tracked C++ file is formatted."
  exit 0
fi
files=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" |
  sort -u)
if [[ -z "$files" ]]; then
  echo "$report" >&2  # clang-format itself failed
  exit 1
fi
echo "Not formatted with .clang-format (fix with clang-format -i):" >&2
sed 's/^/  /' <<<"$files" >&2
exit 1
