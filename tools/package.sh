#!/usr/bin/env bash
# Builds the Debian package of the window program and the command line:
# a release build installed under /usr, packed by CPack with dependencies
# from dpkg-shlibdeps. Prints the package's path; install it with
#   sudo apt install ./build/package/nemora_*.deb
# --check installs it on this machine (as root), runs both programs from
# their installed places, and removes it again. --fresh (as root) installs it
# with apt into a new minimal Debian 12 (debootstrap, from deb.debian.org),
# as a machine that never had a build would, and runs it there in English and
# Japanese.
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

# The installed window program, offscreen, photographs itself: it must find
# its help in the language asked for.  in_root COMMAND... runs a command
# where the package is installed.
check_window() {
  local shots=$1; shift
  for lang in en ja; do
    "$@" env HOME=/tmp/home-$lang XDG_RUNTIME_DIR=/tmp/run QT_QPA_PLATFORM=offscreen \
      NEMORA_SNAPSHOT_DIR=/tmp/shots /usr/bin/nemora --lang "$lang" /N 2>/dev/null \
      || { echo "package.sh: nemora --lang $lang failed" >&2; exit 1; }
  done
  grep -qx 'help=Vostel Nemora Help' "$shots/snapshot-en.txt" \
    || { echo "package.sh: the installed program lacks its English help" >&2; exit 1; }
  grep -qx 'help=Vostel Nemora ヘルプ' "$shots/snapshot-ja.txt" \
    || { echo "package.sh: the installed program lacks its help" >&2; exit 1; }
}

if [ "${1:-}" = "--fresh" ]; then
  tools/install-packages.sh debootstrap
  root=$(mktemp -d /var/tmp/nemora-fresh.XXXXXX)
  cleanup() {
    umount "$root/proc" "$root/dev" 2>/dev/null || true
    rm -rf --one-file-system "$root"
  }
  trap cleanup EXIT
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
  mount --bind /dev "$root/dev" && mount -t proc proc "$root/proc"
  cp "$deb" "$root/tmp/"
  # apt's and the maintainer scripts' chatter is shown only when they fail.
  chroot "$root" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq /tmp/$(basename "$deb")" >"$root/tmp/apt.log" 2>&1 \
    || { cat "$root/tmp/apt.log" >&2; exit 1; }
  chroot "$root" nemora-cli --version
  chroot "$root" nemora --version
  mkdir -p "$root/tmp/run" "$root/tmp/shots" && chmod 700 "$root/tmp/run"
  check_window "$root/tmp/shots" chroot "$root"
  # A page locked and read back on the fresh machine, in the classic form and
  # in the default (strong) one, which needs libsodium.
  chroot "$root" sh -c 'printf "<p>fresh</p>" >/tmp/p.html && printf "pw\n" |
    nemora-cli lock /tmp/p.html -o /tmp/out --classic --password-stdin >/dev/null 2>&1 &&
    printf "pw\n" | nemora-cli unlock /tmp/out/p.zvk --password-stdin 2>/dev/null' | grep -q fresh \
    || { echo "package.sh: lock and unlock failed on the fresh machine" >&2; exit 1; }
  chroot "$root" sh -c 'printf "pw\n" |
    nemora-cli lock /tmp/p.html -o /tmp/strong --password-stdin >/dev/null 2>&1 &&
    printf "pw\n" | nemora-cli unlock /tmp/strong/p.html --password-stdin 2>/dev/null' | grep -q fresh \
    || { echo "package.sh: the strong form's lock and unlock failed on the fresh machine" >&2; exit 1; }
  echo "package.sh: installed and ran $deb on a fresh Debian 12"
fi

if [ "${1:-}" = "--check" ]; then
  apt-get install -y "./$deb" >/dev/null
  trap 'apt-get remove -y nemora >/dev/null' EXIT
  [ "$(/usr/bin/nemora-cli --version)" = "$(dpkg-query -W -f='nemora-cli ${Version}' nemora)" ] \
    || { echo "package.sh: nemora-cli --version disagrees with the package" >&2; exit 1; }
  /usr/bin/nemora --version
  mkdir -p /tmp/shots /tmp/run && chmod 700 /tmp/run
  check_window /tmp/shots
  desktop-file-validate /usr/share/applications/jp.vostel.nemora.desktop
  appstreamcli validate --no-net /usr/share/metainfo/jp.vostel.nemora.metainfo.xml >/dev/null
  man -w nemora-cli >/dev/null 2>&1 || [ ! -x /usr/bin/man ]
  echo "package.sh: installed, ran and validated $deb"
fi
