#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, sanitizers) and runs each for a bounded
# time on its starting corpus: FUZZ_SECONDS per target (default 10). New inputs
# go to a scratch folder, never into the committed corpus. For a longer run:
#   FUZZ_SECONDS=600 tools/fuzz.sh            or one target by hand:
#   build/fuzz/fuzz/fuzz_reader -max_total_time=3600 /tmp/new fuzz/corpus/fuzz_reader
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-10}
targets=(fuzz_compressor fuzz_reader fuzz_roundtrip fuzz_template fuzz_registry fuzz_commandline)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
      "$scratch/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo '?')
    echo "$target: ${seconds}s, $runs runs, no failure"
  else
    echo "$target: FAILED" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
done
exit $status
