#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, when some
# are missing. As root it runs apt-get; otherwise it prints the line to run.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev uuid-dev libsodium-dev zlib1g-dev libdeflate-dev
  clang libclang-rt-14-dev
  default-jdk ecj junit4 xvfb xauth
  chromium
  # A real documentation tree for the sealed-site test: search, summaries, anchors.
  python3.11-doc
  # Qt's HTTP server module needs the WebSockets one to be found by CMake,
  # which its Debian package does not pull in.
  qt6-base-dev qt6-svg-dev qt6-httpserver-dev qt6-websockets-dev
  qt6-translations-l10n fonts-noto-cjk fonts-liberation
  locales
  desktop-file-utils appstream help2man
)

# The browser tests run on Node.js 20 or later with npm: --node keeps a
# machine's own Node.js and installs Debian's elsewhere.
"$(dirname "$0")/install-packages.sh" --node "${packages[@]}"

# The window program is tested under a locale whose decimal point is a comma.
if ! locale -a 2>/dev/null | grep -qx 'de_DE.utf8'; then
  if [ "$(id -u)" -eq 0 ]; then
    localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
  else
    echo "Missing locale. Run as root: localedef -i de_DE -c -f UTF-8 de_DE.UTF-8" >&2
    exit 1
  fi
fi
