#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the whole
# test suite: once in the default build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then each fuzz target for a short, bounded time
# (tools/fuzz.sh, about a minute in all).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

jobs=$(nproc)
for preset in ci ci-asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz"
tools/fuzz.sh
