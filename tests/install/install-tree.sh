#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with the usual Debian prefix and
# checks the tree: both programs run from there, the window program (on the
# offscreen platform) finds its help and Qt's translations relative to itself
# in Japanese and in English, and the desktop entry and AppStream metainfo
# pass their validators. The window's pictures in both languages go to
# SHOTS_DIR.
#   install-tree.sh BUILD_DIR VERSION SHOTS_DIR
set -euo pipefail
build=$1
version=$2
shots=$3
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"

fail() { echo "install-tree: $*" >&2; exit 1; }

for file in bin/nemora bin/nemora-cli share/nemora/nemora.HLP share/nemora/nemora.en.HLP \
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
# The command line speaks the locale's language too, English where none is
# set (a data file that is missing, which is found before any password is
# asked).
for pair in "en_US.UTF-8:The file cannot be opened" "ja_JP.UTF-8:ファイルを開けません" \
    "C.UTF-8:The file cannot be opened" ":The file cannot be opened"; do
  locale=${pair%%:*}
  said=$(env -i ${locale:+LANG="$locale"} "$root/bin/nemora-cli" unlock "$dest/none.zvk" </dev/null 2>&1 || true)
  [ "$said" = "$dest/none.zvk: ${pair#*:}" ] || fail "nemora-cli under LANG=$locale said: $said"
done
manual="$root/share/man/man1/nemora-cli.1"
grep -q '^\.SH' "$manual" || fail "nemora-cli(1) has no sections"
grep -q 'unlock' "$manual" || fail "nemora-cli(1) lacks the subcommands"
for section in 'LOCK OPTIONS' 'UNLOCK OPTIONS' 'EXIT STATUS' ENVIRONMENT EXAMPLES; do
  grep -qE "^\.SH \"?$section\"?\$" "$manual" || fail "nemora-cli(1) has no $section"
done
# Every option each subcommand lists in its help, in the manual's escaped form.
for command in lock unlock; do
  for option in $("$root/bin/nemora-cli" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$manual" \
      || fail "nemora-cli(1) lacks $command $option"
  done
done

# The installed window program, run as a user of each language would: its
# window title, its help (the English one for English) and Qt's own texts.
rm -rf "$shots" && mkdir -p "$shots"
snapshot() {  # LANG-NAME LOCALE HELP-TITLE QT-CANCEL WINDOW-TEXTS
  local lang=$1 locale=$2 help=$3 cancel=$4 texts=$5
  # A first start for each language: its own settings.
  env -i PATH="$PATH" HOME="$dest/home-$lang" \
    XDG_RUNTIME_DIR="$dest/run" LANG="$locale" QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES='qt.qpa.*=false' NEMORA_SNAPSHOT_DIR="$shots" \
    timeout 60 "$root/bin/nemora" /N "$page" || fail "nemora under $locale exited $?"
  local report="$shots/snapshot-$lang.txt"
  [ -s "$report" ] || fail "nemora under $locale wrote no snapshot"
  grep -qx "help=$help" "$report" || fail "help under $locale: $(grep '^help=' "$report")"
  grep -qx "qt-cancel=$cancel" "$report" || fail "Qt texts under $locale: $(grep '^qt-cancel=' "$report")"
  grep -qxF "texts=$texts" "$report" || fail "window under $locale: $(grep '^texts=' "$report")"
  for picture in main help; do
    [ -s "$shots/$picture-$lang.png" ] || fail "no $picture picture under $locale"
  done
}
mkdir -p "$dest/run" && chmod 700 "$dest/run"
# With a page loaded, as the store's screenshot shows it.
page="$dest/site/index.html"
mkdir -p "$(dirname "$page")"
cp "$(dirname "$0")/../../res/sample/sample.html" "$page"
blank='                             '
snapshot ja ja_JP.UTF-8 "Vostel Nemora ヘルプ" "キャンセル" \
  "ファイル(&F)|ヘルプ(&H)|$blank|ロックするファイル|パスワード : |プロンプト  : |Cookieを利用する|キーワード : |有効期間  : |日|パスワード保存の確認|コメントの作成|強力な保護|読込み|暗号化/保存"
snapshot en en_US.UTF-8 "Vostel Nemora Help" "Cancel" \
  "&File|&Help|$blank|Page to lock|Password: |Prompt: |Use a cookie|Keyword: |Keep for: |days|Ask before saving the password|Write comments|Strong protection|Load|Encrypt/Save"
# The same program gives the same pictures with the switch as with the locale.
cp "$shots/main-en.png" "$dest/by-locale.png"
env -i PATH="$PATH" HOME="$dest/home-en" XDG_RUNTIME_DIR="$dest/run" LANG=ja_JP.UTF-8 \
  QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' NEMORA_SNAPSHOT_DIR="$shots" \
  timeout 60 "$root/bin/nemora" --lang en /N "$page" || fail "nemora --lang en"
cmp -s "$shots/main-en.png" "$dest/by-locale.png" || fail "--lang en differs from an English locale"

desktop-file-validate "$root/share/applications/jp.vostel.nemora.desktop"
appstreamcli validate --no-net "$root/share/metainfo/jp.vostel.nemora.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate: $(appstreamcli validate --no-net "$root/share/metainfo/jp.vostel.nemora.metainfo.xml")"
echo "install-tree: ok"
