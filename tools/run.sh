#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job: locks the
# bundled sample page with a password and reads it back.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

cli=build/default/cli/nemora-cli
work=build/default/sample
mkdir -p "$work"
password=${NEMORA_SAMPLE_PASSWORD:-himitsu}

echo
"$cli" lock res/sample/sample.html "$work/sample.zvk" --password "$password" --encoding UTF8
echo
echo "Read back with the password \"$password\":"
"$cli" unlock "$work/sample.zvk" --password "$password"
