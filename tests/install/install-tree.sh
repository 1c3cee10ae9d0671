#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with the usual Debian prefix and
# checks the tree: both programs run from there, the help file lies where the
# window program looks for it relative to itself, and the desktop entry and
# AppStream metainfo pass their validators.
#   install-tree.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"

fail() { echo "install-tree: $*" >&2; exit 1; }

for file in bin/nemora bin/nemora-cli share/nemora/nemora.HLP \
    share/applications/jp.vostel.nemora.desktop share/metainfo/jp.vostel.nemora.metainfo.xml \
    share/man/man1/nemora.1 share/man/man1/nemora-cli.1; do
  [ -s "$root/$file" ] || fail "missing or empty: $file"
done
for size in 16 24 32 48 64 128 256; do
  icon="$root/share/icons/hicolor/${size}x${size}/apps/nemora.png"
  [ -s "$icon" ] || fail "missing icon: ${size}x${size}"
  # The PNG header states the size the folder claims.
  width=$(od -An -tu1 -j16 -N4 "$icon" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  [ "$width" = "$size" ] || fail "icon ${size}x${size} is $width pixels wide"
done

# The window program looks for its help beside itself, then here.
[ -s "$root/bin/../share/nemora/nemora.HLP" ] || fail "no help in the program's data folder"

[ "$("$root/bin/nemora-cli" --version)" = "nemora-cli $version" ] || fail "nemora-cli --version"
[ "$("$root/bin/nemora" --version)" = "nemora $version" ] || fail "nemora --version"
"$root/bin/nemora" --help | grep -q '^Usage: nemora' || fail "nemora --help"
"$root/bin/nemora-cli" --help | grep -q 'Usage: nemora-cli' || fail "nemora-cli --help"
grep -q '^\.SH' "$root/share/man/man1/nemora-cli.1" || fail "nemora-cli(1) has no sections"
grep -q 'unlock' "$root/share/man/man1/nemora-cli.1" || fail "nemora-cli(1) lacks the subcommands"

desktop-file-validate "$root/share/applications/jp.vostel.nemora.desktop"
appstreamcli validate --no-net "$root/share/metainfo/jp.vostel.nemora.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate: $(appstreamcli validate --no-net "$root/share/metainfo/jp.vostel.nemora.metainfo.xml")"
echo "install-tree: ok"
