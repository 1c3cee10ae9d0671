#!/usr/bin/env bash
# A sealed page beside the same page in clear (bench/SITES.md): builds the
# release preset's nemora-cli and runs bench/sealed-page.js in headless
# Chromium. A command that fails stops the run with its status and error
# output, never with a figure.
#
#   bench/sealed.sh [RUNS]      (7 counted runs by default)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-7}

tools/install-deps.sh
tools/install-packages.sh --node chromium

cmake --preset release >/dev/null
cmake --build --preset release --target nemora-cli
cli=build/release/cli/nemora-cli
if [ ! -x "$cli" ]; then
  echo "sealed.sh: $cli was not built; see the CMake output above" >&2
  exit 1
fi

if [ ! -d tests/browser/node_modules/playwright-core ]; then
  (cd tests/browser && npm ci --no-audit --no-fund)
fi

work=build/release/sealed-bench-work
rm -rf "$work"
mkdir -p "$work"
node bench/sealed-page.js --cli "$cli" --chromium "$(command -v chromium)" \
  --playwright "$PWD/tests/browser/node_modules/playwright-core" --work "$work" --runs "$runs"
