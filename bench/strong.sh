#!/usr/bin/env bash
# The strong lock's figures (bench/STRONG.md): builds the release
# preset, makes 1 MB and 10 MB pages from the python3.11-doc HTML, installs
# the peer tool staticrypt (a pinned version, into a scratch folder removed
# afterwards: it is never the program's dependency) and runs bench/strong.js.
# A command that fails stops the run with its status and error output,
# never with a figure.
#
#   bench/strong.sh [RUNS]      (7 counted runs of each figure by default)
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/peer.sh
runs=${1:-7}

tools/install-deps.sh
tools/install-packages.sh --node python3.11-doc argon2 chromium

cmake --preset release >/dev/null
cmake --build --preset release --target nemora-cli strong_bench
cli=build/release/cli/nemora-cli
strong_bench=build/release/bench/strong_bench
for program in "$cli" "$strong_bench"; do
  if [ ! -x "$program" ]; then
    echo "strong.sh: $program was not built; see the CMake output above" >&2
    exit 1
  fi
done

# playwright-core from the browser tests' lockfile.
if [ ! -d tests/browser/node_modules/playwright-core ]; then
  (cd tests/browser && npm ci --no-audit --no-fund)
fi

peer=$(mktemp -d)
trap 'rm -rf "$peer"' EXIT
staticrypt=$(install_staticrypt "$peer" strong.sh)

work=build/release/strong-bench-work
rm -rf "$work"
mkdir -p "$work"
"$strong_bench" pages "$work"
node bench/strong.js --cli "$cli" --strong-bench "$strong_bench" --chromium "$(command -v chromium)" \
  --playwright "$PWD/tests/browser/node_modules/playwright-core" --staticrypt "$staticrypt" \
  --work "$work" --runs "$runs"
