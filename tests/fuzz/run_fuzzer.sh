#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run_fuzzer.sh FUZZER SECONDS WORK_DIR [LIBFUZZER_FLAG...]
# Runs the fuzzer binary FUZZER for SECONDS on a fresh corpus in WORK_DIR,
# seeded from the golden files (VELMO_TEST_DATA, else tests/data) and the
# checked-in seeds; nothing is written into the source tree. Fails on a crash,
# a leak, undefined behaviour, a failed check, an input that takes over a
# second or needs over 2 GB; a failing input is saved in WORK_DIR.
set -euo pipefail
fuzzer=$1 seconds=$2 work=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
name=$(basename "$fuzzer")
data=${VELMO_TEST_DATA:-$here/../data}

rm -rf "$work/corpus"
mkdir -p "$work/corpus"
"$here/make_seeds.sh" "$name" "$data" "$work/seeds"

options=(-max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=1048576
  -print_final_stats=1 -artifact_prefix="$work/")
[[ -f "$here/${name%_fuzzer}.dict" ]] && options+=(-dict="$here/${name%_fuzzer}.dict")
seeds=("$work/seeds")
[[ -d "$here/seeds/${name%_fuzzer}" ]] && seeds+=("$here/seeds/${name%_fuzzer}")

exec "$fuzzer" "${options[@]}" "$@" "$work/corpus" "${seeds[@]}"
