#!/usr/bin/env bash
# Runs every benchmark program of a build's bench/ folder; each prints its figure line
# last. Recorded inputs are made here with the ffmpeg tool, once per build folder.
set -euo pipefail
build=${1:?usage: run-bench.sh BUILD_DIR}
bench_dir="$build/bench"
data="$bench_dir/data"
mkdir -p "$data"

# A 720x1280 clip of 300 frames as FLV with H.264 from libx264: the tool's defaults (one
# slice, B-frames), and the low-latency form the platform's encoder writes (several slices).
make_clip() {
  local out=$1; shift
  [ -s "$out" ] && return 0
  ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=720x1280:rate=30 \
    -frames:v 300 -pix_fmt yuv420p -c:v libx264 "$@" -f flv "$out"
}
make_clip "$data/clip-720x1280-default.flv"
make_clip "$data/clip-720x1280-zerolatency.flv" -tune zerolatency

args_pipeline() {
  echo "$data/clip-720x1280-default.flv"
}

status=0
for program in "$bench_dir"/*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  name=$(basename "$program")
  echo "== $name"
  if [ "$name" = pipeline ]; then
    echo "-- low-latency clip (the platform's encoder form)"
    "$program" "$data/clip-720x1280-zerolatency.flv" || status=1
    echo "-- default clip"
  fi
  args=()
  if declare -F "args_$name" >/dev/null; then read -r -a args <<< "$("args_$name")"; fi
  "$program" "${args[@]}" || status=1
done
exit $status
