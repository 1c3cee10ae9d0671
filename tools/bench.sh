#!/usr/bin/env bash
# Builds the release preset and prints the engine's figures side by side with
# zlib, OpenSSL and gzip: corpora from the python3.11-doc HTML and the
# Japanese debian-reference (converted to Shift_JIS), plus adversarial pages;
# then whole sites beside staticrypt (bench/site.sh).
# A command that fails stops the run with its status and error output, never
# with a figure.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
tools/install-packages.sh zlib1g-dev libssl-dev gzip time python3.11-doc debian-reference-ja

cmake --preset release >/dev/null
cmake --build --preset release
compare=build/release/bench/nemora_compare
cli=build/release/cli/nemora-cli
for program in "$compare" "$cli"; do
  if [ ! -x "$program" ]; then
    echo "bench.sh: $program was not built; see the CMake output above" >&2
    exit 1
  fi
done
work=build/release/bench-work
mkdir -p "$work"
# nemora_compare stops with a non-zero status when a command it times fails;
# set -e passes that on.
"$compare" "$cli" "$work"
# Whole sites in the same run: nemora-cli lock -r beside staticrypt -r, and
# the cost of a page as the site grows (bench/SITES.md). It stops the same way.
bench/site.sh
