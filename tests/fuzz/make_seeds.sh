#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make_seeds.sh FUZZER DATA_DIR OUT_DIR
# Writes the seed inputs of FUZZER, made from the golden files under DATA_DIR
# (tests/data), into OUT_DIR, which is emptied first.
set -euo pipefail
fuzzer=$1 data=$2 out=$3
rm -rf "$out"
mkdir -p "$out"

# seed SECTION KEY FILE: the settings reader's input for one lookup in FILE.
seed() {
  local name
  name=$(printf '%s\n%s\n' "$1" "$2" | cat - "$3" | md5sum | cut -c1-16)
  printf '%s\n%s\n' "$1" "$2" | cat - "$3" >"$out/$name"
}

case $fuzzer in
profile_reader_fuzzer)
  # Each row "section<TAB>key<TAB>value" of a golden *.expected, looked up in
  # the *.ini beside it.
  for expected in "$data"/ini/*.expected; do
    while IFS=$'\t' read -r section key _; do
      seed "$section" "$key" "${expected%.expected}.ini"
    done <"$expected"
  done
  while IFS= read -r -d '' ini; do seed timer3 tiden2 "$ini"; done \
    < <(find "$data/chaser" -name '*.ini' -print0)
  while IFS= read -r -d '' ini; do seed Utgang1høy command1 "$ini"; done \
    < <(find "$data/switchpanel" -name '*.ini' -print0)
  ;;
interval_text_fuzzer)
  # Each value in the chaser's golden settings files.
  find "$data/chaser" -name '*.ini' -exec cat {} + | tr -d '\r' | grep -a '=' | cut -d= -f2- |
    sort -u | while IFS= read -r value; do
      printf '%s' "$value" >"$out/$(printf '%s' "$value" | md5sum | cut -c1-16)"
    done
  ;;
*)
  echo "make_seeds.sh: no seeds known for $fuzzer" >&2
  exit 1
  ;;
esac
