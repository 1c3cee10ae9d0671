#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window program with the
# bundled sample page loaded. Without a display (or with NEMORA_NO_WINDOW=1)
# it runs the program's main job on the command line instead: publishes the
# sample page, locked with a password, into a folder in the command line's
# default (strong) form, and reads it back to show that it opens.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

if [[ -z "${NEMORA_NO_WINDOW:-}" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  # A relative path: an absolute one starting with /n or /r would read as a switch.
  exec build/default/app/nemora res/sample/sample.html
fi

echo
echo "No display: the window program cannot start here, so the command-line"
echo "publisher does the same job. (With a display, this starts build/default/app/nemora.)"

cli=build/default/cli/nemora-cli
site=build/default/sample-site
password=${NEMORA_SAMPLE_PASSWORD:-himitsu}
rm -rf "$site"

echo
NEMORA_PASSWORD="$password" "$cli" lock res/sample/sample.html -o "$site"
echo
ls -l "$site"
echo
echo "Read back with the password \"$password\":"
NEMORA_PASSWORD="$password" "$cli" unlock "$site/sample.html" | head -n 12
echo "..."
echo
echo "To see it as a visitor does, open $site/sample.html in a browser (from the"
echo "folder on disk, or served, e.g. python3 -m http.server --directory $site 8000)"
echo "and type the password \"$password\". The classic form, for compatibility"
echo "only, is written with: $cli lock --classic ..."
