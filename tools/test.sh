#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as
# errors, and runs the whole test suite: once in the default build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer; then a build of the
# core without Qt, a build of the engine alone (no publishing), and each fuzz
# target for a short, bounded time (tools/fuzz.sh, about a minute in all).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

echo "== format"
tools/format.sh --check

jobs=$(nproc)
for preset in ci ci-asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

# The engine, the publication, the command line and the main window's logic
# must build without Qt, so the core cannot come to depend on the window
# toolkit.
echo "== without Qt"
cmake --preset ci -B build/ci-noqt -DNEMORA_BUILD_APP=OFF >/dev/null
cmake --build build/ci-noqt -j "$jobs" --target nemora-cli engine_tests publish_tests cli_tests reliability_tests \
  mainwindow_tests

# The engine alone (NEMORA_BUILD_PUBLISHING off: no JDK, Node.js or Chromium)
# must keep building; its tests are the ones the ci build has run.
echo "== engine alone"
cmake --preset ci -B build/ci-engine -DNEMORA_BUILD_PUBLISHING=OFF >/dev/null
cmake --build build/ci-engine -j "$jobs"

echo "== fuzz"
tools/fuzz.sh
