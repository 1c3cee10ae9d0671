#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, sanitizers, coverage hooks in every
# library) and runs each for a bounded time on its starting corpus:
# FUZZ_SECONDS per target (default 10). New inputs go to a scratch folder,
# never into the committed corpus. For a longer run:
#   FUZZ_SECONDS=600 tools/fuzz.sh            or one target by hand:
#   build/fuzz/fuzz/fuzz_reader -max_total_time=3600 /tmp/new fuzz/corpus/fuzz_reader
#
# Each target's final coverage (libFuzzer's cov: edges and ft: features) is
# printed, and a target that ends below its floor fails the run: a target that
# cannot see the code it fuzzes finds nothing and would otherwise pass.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-10}
targets=(fuzz_compressor fuzz_reader fuzz_roundtrip fuzz_strong fuzz_sealed fuzz_template fuzz_registry fuzz_commandline)

# Least cov: edges after the run. The starting corpus alone reaches well above
# each floor, so the floors hold however few runs a slow machine manages; a
# build whose libraries lack the hooks ends below them (fuzz/README.md has the
# figures).
declare -A floor=(
  [fuzz_compressor]=350
  [fuzz_reader]=100
  [fuzz_roundtrip]=250
  [fuzz_strong]=110
  [fuzz_sealed]=160
  [fuzz_template]=165
  [fuzz_registry]=300
  [fuzz_commandline]=50
)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  # A single input slower than -timeout is a hang, and fails the run.
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
      "$scratch/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "$target: FAILED" >&2
    tail -n 40 "$log" >&2
    status=1
    continue
  fi
  # The last status line: "#8249 DONE cov: 224 ft: 929 corp: ..."
  last=$(grep -E '^#[0-9]+[[:space:]].*cov: ' "$log" | tail -n 1 || true)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log")
  line="$target: ${seconds}s, ${runs:-?} runs, cov ${cov:-none} ft ${ft:-none}"
  if [[ -z $cov || $cov -lt ${floor[$target]} ]]; then
    echo "$line: below its floor of ${floor[$target]} edges (is the code under test built with coverage hooks?)" >&2
    status=1
  else
    echo "$line, no failure"
  fi
done
exit $status
