#!/usr/bin/env bash
# Start to first painted page: the real program on a 16 MiB and on a 1 GiB file, against a bare
# Qt window (bench/bare_window.cpp, built beside the program) as the toolkit's own baseline, in
# alternating rounds (window, 16 MiB, 1 GiB, window, ...), offscreen and in a real X window
# under Xvfb. Prints the median time and peak memory of each with its spread (the interquartile
# range), and for every limit the measured value and "met" or "MISSED":
#   - the program at most 1.2x the bare window's time, for either file;
#   - at most 300 ms for 1 GiB; 1 GiB within 10% of 16 MiB in time and in memory.
# With NIBBLET_REPORT_FIRST_PAINT set, the program prints the wall-clock time of its first
# hex-view paint and its peak resident memory, then quits. Everything the runs create (the two
# files, the settings, the work folder) lives in one temporary folder that is removed at the
# end; the run fails if the program left a temporary copy or a journal in its work folder.
# RUNS (default 9) sets the rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$PWD/build/bin/nibblet
bare=$PWD/build/bin/bare_window
[ -x "$program" ] && [ -x "$bare" ] || scripts/build
runs=${RUNS:-9}
dir=$(mktemp -d "${TMPDIR:-/tmp}/nibblet-first-paint.XXXXXX")
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
head -c $((16 << 20)) /dev/urandom > "$dir/small.bin"
head -c $((1 << 30)) /dev/urandom > "$dir/large.bin"
export XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" XDG_RUNTIME_DIR="$dir"
chmod 700 "$dir"

measure() {  # prints "<milliseconds> <peak KiB>" for one start of $2... on platform $1
  local platform=$1 start line
  shift
  start=$(date +%s.%N)
  line=$(QT_QPA_PLATFORM=$platform NIBBLET_REPORT_FIRST_PAINT=1 "$@" 2>/dev/null | grep '^first paint')
  echo "$line" | awk -v s="$start" '{ printf "%.1f %s\n", ($4 - s) * 1000, $7 }'
}
# Median and interquartile range of one column of numbers: "median q1 q3".
stats() {
  sort -n | awk '{ v[NR] = $1 } END {
    n = NR
    m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    lo = v[int((n + 3) / 4)]; hi = v[int((3 * n + 3) / 4)]
    printf "%.1f %.1f %.1f\n", m, lo, hi }'
}
limit() {  # what measured bound unit: prints the limit line ("<=" bounds)
  awk -v w="$1" -v m="$2" -v b="$3" -v u="$4" \
    'BEGIN { printf "LIMIT %s: %.3f%s <= %.3f%s: %s\n", w, m, u, b, u, (m <= b ? "met" : "MISSED") }'
}

# A real X server for the windowed runs, on a free display number.
display=""
for n in $(seq 90 99); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
if [ -n "$display" ] && command -v Xvfb >/dev/null; then
  Xvfb "$display" -screen 0 480x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi

for platform in offscreen xcb; do
  if [ "$platform" = xcb ]; then
    [ -n "$xvfb_pid" ] || { echo "no Xvfb: windowed runs skipped"; continue; }
    export DISPLAY=$display
  fi
  : > "$dir/bare.txt"; : > "$dir/small.txt"; : > "$dir/large.txt"
  measure "$platform" "$bare" > /dev/null  # a warm-up start, not counted
  for _ in $(seq "$runs"); do
    measure "$platform" "$bare" >> "$dir/bare.txt"
    measure "$platform" "$program" "$dir/small.bin" >> "$dir/small.txt"
    measure "$platform" "$program" "$dir/large.bin" >> "$dir/large.txt"
  done
  echo
  echo "$platform ($runs alternating rounds)"
  printf '  %-22s %28s %14s\n' "" "first paint, median [IQR]" "peak memory"
  for what in bare small large; do
    read -r ms q1 q3 < <(cut -d' ' -f1 "$dir/$what.txt" | stats)
    kib=$(cut -d' ' -f2 "$dir/$what.txt" | stats | cut -d' ' -f1)
    case $what in bare) label="bare Qt window";; small) label="program, 16 MiB";; large) label="program, 1 GiB";; esac
    printf '  %-22s %9s ms [%7s - %7s] %10s KiB\n' "$label" "$ms" "$q1" "$q3" "$kib"
    eval "${what}_ms=$ms ${what}_kib=$kib"
  done
  limit "$platform, 16 MiB vs bare Qt window" "$(awk "BEGIN{print $small_ms / $bare_ms}")" 1.2 x
  limit "$platform, 1 GiB vs bare Qt window" "$(awk "BEGIN{print $large_ms / $bare_ms}")" 1.2 x
  limit "$platform, 1 GiB first paint" "$large_ms" 300 " ms"
  limit "$platform, 1 GiB vs 16 MiB, time" "$(awk "BEGIN{print $large_ms / $small_ms}")" 1.1 x
  limit "$platform, 1 GiB vs 16 MiB, memory" "$(awk "BEGIN{print $large_kib / $small_kib}")" 1.1 x
done

# The values panel: the first paint with the panel open against the same start with it
# collapsed, on the 16 MiB file offscreen, the two starts alternating so both see the same load.
values_panel() {  # stores the panel's state in the settings: 1 open, 0 collapsed
  local conf="$XDG_CONFIG_HOME/vq/pelta.conf"
  mkdir -p "$(dirname "$conf")"
  [ -f "$conf" ] || printf '[General]\n' > "$conf"
  sed -i '/^valuesPanel=/d' "$conf"
  sed -i "/^\[General\]/a valuesPanel=$1" "$conf"
}
: > "$dir/collapsed.txt"
: > "$dir/open.txt"
for _ in $(seq "$runs"); do
  values_panel 0
  measure offscreen "$program" "$dir/small.bin" >> "$dir/collapsed.txt"
  values_panel 1
  measure offscreen "$program" "$dir/small.bin" >> "$dir/open.txt"
done
values_panel 0
read -r closed_ms closed_q1 closed_q3 < <(cut -d' ' -f1 "$dir/collapsed.txt" | stats)
read -r open_ms open_q1 open_q3 < <(cut -d' ' -f1 "$dir/open.txt" | stats)
printf 'values panel, 16 MiB offscreen: open %s ms [%s - %s], collapsed %s ms [%s - %s]\n' \
  "$open_ms" "$open_q1" "$open_q3" "$closed_ms" "$closed_q1" "$closed_q3"
limit "values panel open vs collapsed" "$(awk "BEGIN{print $open_ms / $closed_ms}")" 1.05 x

leftovers=$(find "$dir/cache" -type f \( -name '*.tmp' -o -name '*.jnl' -o -name '.nbt*' \) 2>/dev/null | wc -l)
if [ "$leftovers" -ne 0 ]; then
  echo "the program left $leftovers temporary file(s) in its work folder:"
  find "$dir/cache" -type f
  exit 1
fi
echo "work folder clean: no temporary copies or journals left"
