#!/usr/bin/env bash
# Builds the Debian package of the window program and the command line:
# a release build installed under /usr, packed by CPack with dependencies
# from dpkg-shlibdeps. Prints the package's path; install it with
#   sudo apt install ./build/package/nemora_*.deb
# --check installs it on this machine (as root), runs both programs from
# their installed places, and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
tools/install-packages.sh dpkg-dev

build=build/package
cmake --preset release -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DNEMORA_BUILD_TESTS=OFF \
  -DNEMORA_BUILD_BENCHMARKS=OFF -DNEMORA_BUILD_BROWSER_TESTS=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/nemora_*.deb)
echo "$deb"

if [ "${1:-}" = "--check" ]; then
  apt-get install -y "./$deb" >/dev/null
  trap 'apt-get remove -y nemora >/dev/null' EXIT
  [ "$(/usr/bin/nemora-cli --version)" = "$(dpkg-query -W -f='nemora-cli ${Version}' nemora)" ] \
    || { echo "package.sh: nemora-cli --version disagrees with the package" >&2; exit 1; }
  /usr/bin/nemora --version
  QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/nemora /N >/dev/null 2>&1 || [ $? -eq 124 ]
  desktop-file-validate /usr/share/applications/jp.vostel.nemora.desktop
  appstreamcli validate --no-net /usr/share/metainfo/jp.vostel.nemora.metainfo.xml >/dev/null
  man -w nemora-cli >/dev/null 2>&1 || [ ! -x /usr/bin/man ]
  echo "package.sh: installed, ran and validated $deb"
fi
