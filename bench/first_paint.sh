#!/usr/bin/env bash
# Start to first painted page: starts the real program on a 16 MiB and on a 1 GiB file, both
# offscreen and in a real X window under Xvfb, nine starts each, and prints the median time and
# peak memory with their spread (the interquartile range). With NIBBLET_REPORT_FIRST_PAINT set,
# the program prints the wall-clock time of its first hex-view paint and its peak resident
# memory, then quits. Everything the runs create (the two files, the settings, the work folder)
# lives in one temporary folder that is removed at the end; the run fails if the program left a
# temporary copy or a journal in its work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$PWD/build/bin/nibblet
[ -x "$program" ] || scripts/build
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

measure() {  # prints "<milliseconds> <peak KiB>" for one start on platform $1 with file $2
  local start line
  start=$(date +%s.%N)
  line=$(QT_QPA_PLATFORM=$1 NIBBLET_REPORT_FIRST_PAINT=1 "$program" "$2" 2>/dev/null | grep '^first paint')
  echo "$line" | awk -v s="$start" '{ printf "%.1f %s\n", ($4 - s) * 1000, $7 }'
}
# Median and interquartile range of one column of numbers.
stats() {
  sort -n | awk '{ v[NR] = $1 } END {
    n = NR
    m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    lo = v[int((n + 3) / 4)]; hi = v[int((3 * n + 3) / 4)]
    printf "%.1f %.1f %.1f\n", m, lo, hi }'
}
series() {  # platform file -> "median_ms q1_ms q3_ms median_kib"
  local out="$dir/series.txt"
  : > "$out"
  for _ in $(seq "$runs"); do measure "$1" "$2" >> "$out"; done
  local ms kib
  ms=$(cut -d' ' -f1 "$out" | stats)
  kib=$(cut -d' ' -f2 "$out" | stats | cut -d' ' -f1)
  echo "$ms $kib"
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

printf '%-8s %-10s %28s %14s\n' file platform "first paint, median [IQR]" "peak memory"
for platform in offscreen xcb; do
  if [ "$platform" = xcb ]; then
    [ -n "$xvfb_pid" ] || { echo "no Xvfb: windowed runs skipped"; continue; }
    export DISPLAY=$display
  fi
  for f in small large; do
    read -r ms q1 q3 kib < <(series "$platform" "$dir/$f.bin")
    label=$([ "$f" = small ] && echo "16 MiB" || echo "1 GiB")
    printf '%-8s %-10s %9s ms [%7s - %7s] %10s KiB\n' "$label" "$platform" "$ms" "$q1" "$q3" "$kib"
    eval "${platform}_${f}_ms=$ms ${platform}_${f}_kib=$kib"
  done
done
awk "BEGIN{printf \"offscreen, 1 GiB / 16 MiB: time %.3f, memory %.3f\n\", $offscreen_large_ms / $offscreen_small_ms, $offscreen_large_kib / $offscreen_small_kib}"
if [ -n "$xvfb_pid" ]; then
  awk "BEGIN{printf \"Xvfb, 1 GiB / 16 MiB: time %.3f, memory %.3f; Xvfb / offscreen for 1 GiB: %.3f\n\", $xcb_large_ms / $xcb_small_ms, $xcb_large_kib / $xcb_small_kib, $xcb_large_ms / $offscreen_large_ms}"
fi
echo "target: at most 300 ms for 1 GiB, within 10% of 16 MiB, memory not growing with the file"

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
  measure offscreen "$dir/small.bin" >> "$dir/collapsed.txt"
  values_panel 1
  measure offscreen "$dir/small.bin" >> "$dir/open.txt"
done
values_panel 0
read -r closed_ms closed_q1 closed_q3 < <(cut -d' ' -f1 "$dir/collapsed.txt" | stats)
read -r open_ms open_q1 open_q3 < <(cut -d' ' -f1 "$dir/open.txt" | stats)
awk -v o="$open_ms" -v oa="$open_q1" -v ob="$open_q3" -v c="$closed_ms" -v ca="$closed_q1" -v cb="$closed_q3" 'BEGIN {
  r = o / c
  printf "values panel open / collapsed, 16 MiB offscreen: %.1f ms [%.1f - %.1f] / %.1f ms [%.1f - %.1f] = %.3f (at most 1.05): %s\n",
         o, oa, ob, c, ca, cb, r, r <= 1.05 ? "met" : "MISSED" }'

leftovers=$(find "$dir/cache" -type f \( -name '*.tmp' -o -name '*.jnl' -o -name '.nbt*' \) 2>/dev/null | wc -l)
if [ "$leftovers" -ne 0 ]; then
  echo "the program left $leftovers temporary file(s) in its work folder:"
  find "$dir/cache" -type f
  exit 1
fi
echo "work folder clean: no temporary copies or journals left"
