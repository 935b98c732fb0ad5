#!/usr/bin/env bash
# Start to first painted page: starts the real program offscreen on a 16 MiB and on a 1 GiB file
# and prints both times and peak memory side by side (the best of five starts each). With
# NIBBLET_REPORT_FIRST_PAINT set, the program prints the wall-clock time of its first hex-view
# paint and its peak resident memory, then quits.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/bin/nibblet
[ -x "$program" ] || scripts/build
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c $((16 << 20)) /dev/urandom > "$dir/small.bin"
head -c $((1 << 30)) /dev/urandom > "$dir/large.bin"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" XDG_RUNTIME_DIR="$dir"
measure() {  # prints "<milliseconds> <peak KiB>" for one start
  local start line
  start=$(date +%s.%N)
  line=$(NIBBLET_REPORT_FIRST_PAINT=1 "$program" "$1" 2>/dev/null | grep '^first paint')
  echo "$line" | awk -v s="$start" '{ printf "%.1f %s\n", ($4 - s) * 1000, $7 }'
}
best() {
  local best="" ms kib
  for _ in 1 2 3 4 5; do
    read -r ms kib < <(measure "$1")
    if [ -z "$best" ] || awk "BEGIN{exit !($ms < ${best%% *})}"; then best="$ms $kib"; fi
  done
  echo "$best"
}
read -r small_ms small_kib < <(best "$dir/small.bin")
read -r large_ms large_kib < <(best "$dir/large.bin")
printf '%-8s %10s %12s\n' file "first paint" "peak memory"
printf '%-8s %8s ms %9s KiB\n' "16 MiB" "$small_ms" "$small_kib" "1 GiB" "$large_ms" "$large_kib"
awk "BEGIN{printf \"ratio 1 GiB / 16 MiB: time %.3f, memory %.3f (target: at most 300 ms for 1 GiB, within 10%% of 16 MiB, memory not growing)\n\", $large_ms / $small_ms, $large_kib / $small_kib}"
