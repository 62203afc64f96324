#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a short while; any crash fails the run.
set -euo pipefail
build=${1:?usage: run-fuzz.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-20}
status=0
for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$build/" \
       "$corpus" "${seeds[@]}" > "$build/$name.log" 2>&1; then
    echo "fuzz: $name FAILED"; tail -40 "$build/$name.log"; status=1
  fi
done
exit $status
