#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job: publishes
# the bundled sample page, locked with a password, into a folder, and reads
# its data file back to show that it opens.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

cli=build/default/cli/nemora-cli
site=build/default/sample-site
password=${NEMORA_SAMPLE_PASSWORD:-himitsu}
rm -rf "$site"

echo
NEMORA_PASSWORD="$password" "$cli" lock res/sample/sample.html -o "$site" --encoding UTF8
echo
ls -l "$site"
echo
echo "Read back with the password \"$password\":"
NEMORA_PASSWORD="$password" "$cli" unlock "$site/sample.zvk" | head -n 12
echo "..."
echo
echo "To open it in a browser, serve the folder and visit the page, for instance:"
echo "  python3 -m http.server --directory $site 8000   # then open http://127.0.0.1:8000/sample.html"
echo "and type the password \"$password\"."
