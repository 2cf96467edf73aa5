#!/usr/bin/env bash
# A short fuzzing run of every reader, as CI makes it: a fixed number of
# executions from the seed corpora with a fixed seed, so that a reader fault
# brought back by a change shows at once. The readers run side by side.
# Usage: fuzz/shortrun.sh BUILD_DIR [RUNS]
set -euo pipefail
build="$1"
runs="${2:-20000}"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
readers="readprefs readscripts readds setupphases readdsprefs readth readrc"
for reader in $readers; do
  mkdir -p "$work/$reader/corpus"
  cp "$here/seeds/$reader/"* "$work/$reader/corpus/"
  (cd "$work/$reader" && "$build/fuzz/fuzz_$reader" -runs="$runs" -seed=1 -timeout=1 -rss_limit_mb=4096 \
      -close_fd_mask=1 -print_final_stats=1 -dict="$here/$reader.dict" corpus > log.txt 2>&1
   echo $? > status) &
done
wait
passed=0 failed=0
for reader in $readers; do
  if [ "$(cat "$work/$reader/status")" = 0 ]; then
    passed=$((passed + 1))
    echo "$reader: $(grep -E "^stat::number_of_executed_units" "$work/$reader/log.txt")"
  else
    failed=$((failed + 1))
    echo "$reader failed:"
    tail -60 "$work/$reader/log.txt"
    # the input that failed, for a regression test
    for f in "$work/$reader"/crash-* "$work/$reader"/timeout-* "$work/$reader"/oom-* "$work/$reader"/leak-*; do
      [ -e "$f" ] && { echo "== $f"; od -c "$f" | head -40; }
    done
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
