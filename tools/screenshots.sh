#!/usr/bin/env bash
# Remakes the store screenshots (res/desktop/screenshots): the main window
# with the sample page loaded, on a first start, in English and in Japanese.
# The program photographs itself (NEMORA_SNAPSHOT_DIR) on the offscreen
# platform, so no display is needed.
#   tools/screenshots.sh [BUILD_DIR]   (default build/default, built first)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target nemora >/dev/null

# A short, plain path for the page field to show.
work=/tmp/nemora-example
rm -rf "$work" && mkdir -p "$work/site" "$work/run" && chmod 700 "$work/run"
trap 'rm -rf "$work"' EXIT
cp res/sample/sample.html "$work/site/index.html"
for lang in en ja; do
  env -i PATH="$PATH" HOME="$work/home-$lang" XDG_RUNTIME_DIR="$work/run" \
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' NEMORA_SNAPSHOT_DIR="$work" \
    "$build/app/nemora" --lang "$lang" /N "$work/site/index.html" \
    2> >(grep -v 'This plugin does not support' >&2)
done
mkdir -p res/desktop/screenshots
cp "$work/main-en.png" res/desktop/screenshots/main-window.png
cp "$work/main-ja.png" res/desktop/screenshots/main-window-ja.png
echo "res/desktop/screenshots: main-window.png, main-window-ja.png"
