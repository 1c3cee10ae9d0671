#!/usr/bin/env bash
# Whole sites (see bench/SITES.md). First `nemora-cli lock -r` (--classic,
# the strong form, and --classic -j 1) beside staticrypt -r on the python3.11-doc HTML tree:
# wall time, peak memory, published and whole output size; then our time per
# page and peak memory on generated trees of 1,000 and 10,000 small pages.
# staticrypt (a pinned version) goes into a scratch folder removed afterwards:
# it is never the program's dependency. Every timed command must exit 0 and
# leave every page it was given; the first that does not stops the run with
# its status and error output, never with a figure.
#
#   bench/site.sh [RUNS]      (5 counted runs after one warm-up by default)
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

source bench/peer.sh
runs=${1:-5}
case $runs in '' | *[!0-9]* | 0) echo "site.sh: RUNS must be a whole number above 0" >&2 && exit 2 ;; esac
site=/usr/share/doc/python3.11/html
password='site-bench-password'
# A fixed salt, so that one page can be deciphered afterwards to check it;
# staticrypt derives its key once per run either way.
peer_salt=5eb1a2c3d4e5f60718293a4b5c6d7e8f

tools/install-deps.sh
tools/install-packages.sh --node python3.11-doc time

cmake --preset release >/dev/null
cmake --build --preset release --target nemora-cli
cli=$PWD/build/release/cli/nemora-cli
if [ ! -x "$cli" ]; then
  echo "site.sh: $cli was not built; see the CMake output above" >&2
  exit 1
fi

work=$PWD/build/release/site-bench-work
# On an ext4 without a journal (this machine's), making a file skips every
# inode freed in the last minutes, one lookup each: a run just after a large
# deletion pays for it, and the more was deleted the more it pays. So no
# output is removed while the bench times, and the bench waits out its own
# deletions (stamped here; six minutes measured enough) before it times.
deleted_stamp=$PWD/build/release/site-bench-deleted
settle_seconds=370
if [ -d "$work" ]; then
  left=$(find "$work" | head -2000 | wc -l)
  rm -rf "$work"
  if [ "$left" -ge 2000 ]; then
    sync
    date +%s >"$deleted_stamp"
  fi
fi
mkdir -p "$work"
peer=$(mktemp -d)
trap 'rm -rf "$peer"' EXIT
staticrypt=$(install_staticrypt "$peer" site.sh)
printf '%s\n' "$password" >"$work/password"
if [ -f "$deleted_stamp" ]; then
  wait_s=$(($(cat "$deleted_stamp") + settle_seconds - $(date +%s)))
  if [ "$wait_s" -gt 0 ]; then
    echo "Waiting ${wait_s} s: a large deletion on this file system slows the making of files for some minutes"
    sleep "$wait_s"
  fi
fi

fail() {
  echo "site.sh: $*" >&2
  exit 1
}

loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# relative-path lists of a source tree, as each tool reads it.
# Ours: names ending in .html or .htm in any case are pages; hidden names
# stay out. Only regular files are listed, so a followed link never makes a
# page that a tool might rightly skip.
list_tree() {
  local root=$1 prefix=$2
  (cd "$root" && find . -name '.?*' -prune -o -type f -print) | sed 's|^\./||' | sort >"$prefix.all"
  grep -Ei '\.html?$' "$prefix.all" >"$prefix.pages" || true
  grep -Eiv '\.html?$' "$prefix.all" >"$prefix.copies" || true
  # Links to files: the run follows them, so the strong form seals them too.
  (cd "$root" && find . -name '.?*' -prune -o -type l -xtype f -print) >"$prefix.linked"
  sed -n 's|/[^/]*$||p' "$prefix.pages" | sort -u >"$prefix.dirs"
  grep -qv / "$prefix.pages" && echo . >>"$prefix.dirs"
  true
}

# staticrypt's own rule: names ending in .html or .htm (case-sensitive),
# hidden ones included; every other file reached is copied.
list_peer_tree() {
  local root=$1 prefix=$2
  (cd "$root" && find -L . -type f -print) | sed 's|^\./||' | sort >"$prefix.all"
  grep -E '\.html?$' "$prefix.all" >"$prefix.pages" || true
  grep -Ev '\.html?$' "$prefix.all" >"$prefix.copies" || true
}

# "path size" of every regular file under a folder.
sizes() { (cd "$1" && find . -type f -printf '%P %s\n') | sort; }

# Checks one run of ours: every page's loader page and data file (or the
# strong page) not empty, the shared files in every folder that holds pages,
# every other regular file present.
check_ours() {
  local out=$1 list=$2 form=$3
  sizes "$out" >"$work/check.sizes"
  awk -v form="$form" -v list="$list" -v made="$work/check.sizes" '
    function need(p, nonempty) {
      if (!(p in have) || (nonempty && have[p] == 0)) { print "missing or empty: " p; bad++ }
    }
    FILENAME == made { have[$1] = $2; next }
    FILENAME == list ".pages" {
      need($0, 1)
      page[$0] = 1
      if (form == "classic") { d = $0; sub(/\.[^.\/]*$/, ".zvk", d); need(d, 1) }
    }
    FILENAME == list ".dirs" {
      p = ($0 == ".") ? "" : $0 "/"
      if (form == "classic") { need(p "decoder.htm", 1); need(p "decoder.jar", 1) }
      else need(p "nemora-strong.js", 1)
    }
    # The strong form seals every file of the site: none is copied in clear,
    # each has its sealed script (pages too), and the manifest lists them.
    FILENAME == list ".linked" { files++; next }
    FILENAME == list ".copies" {
      files++
      if (form == "classic") need($0, 0)
      else if ($0 in have) { print "published in clear: " $0; bad++ }
    }
    END {
      if (form == "strong") {
        need("nemora-sealed/manifest.js", 1)
        for (p in have) if (p ~ /^nemora-sealed\/..\/[a-z2-7]+\.js$/ && have[p] > 0) sealed++
        for (p in page) files++
        if (sealed != files) { print "sealed scripts: " sealed + 0 ", files of the site: " files; bad++ }
      }
      exit (bad > 0)
    }
  ' "$work/check.sizes" "$list.pages" "$list.dirs" "$list.copies" "$list.linked" | head -5
  return "${PIPESTATUS[0]}"
}

# Checks one run of staticrypt: every page rewritten (larger than its
# source: the page is enciphered and written in hex), every other file there.
check_peer() {
  local out=$1 list=$2 root=$3
  sizes "$out" >"$work/check.sizes"
  sizes "$root" >"$work/check.source"
  awk -v list="$list" -v made="$work/check.sizes" -v read_="$work/check.source" '
    FILENAME == made { have[$1] = $2; next }
    FILENAME == read_ { source[$1] = $2; next }
    FILENAME == list ".pages" {
      if (!($0 in have) || have[$0] <= source[$0]) { print "not enciphered: " $0; bad++ }
    }
    FILENAME == list ".linked" { files++; next }
    FILENAME == list ".copies" { if (!($0 in have)) { print "missing: " $0; bad++ } }
    END { exit (bad > 0) }
  ' "$work/check.sizes" "$work/check.source" "$list.pages" "$list.copies" | head -5
  return "${PIPESTATUS[0]}"
}

# timed NAME OUT CHECK... -- COMMAND...: one counted run (or the warm-up
# when counting is off) into OUT, a folder not yet made. The disk is synced
# first, so that no run pays for another's writeback. Wall time from the
# shell's clock (microseconds), peak memory from GNU time: ru_maxrss, the
# largest single process (each command here is one process with threads).
counting=0
timed() {
  local name=$1 out=$2
  shift 2
  local check=()
  while [ "$1" != -- ]; do
    check+=("$1")
    shift
  done
  shift
  [ ! -e "$out" ] || fail "$out is there already"
  sync
  local start=$EPOCHREALTIME status=0
  /usr/bin/time -f '%M %U %S' -o "$work/$name.time" "$@" <"$work/password" \
    >"$work/$name.log" 2>&1 || status=$?
  local end=$EPOCHREALTIME
  if [ "$status" -ne 0 ]; then
    tail -20 "$work/$name.log" >&2
    fail "$name exited with status $status: $*"
  fi
  if ! "${check[@]}" >"$work/$name.check"; then
    cat "$work/$name.check" >&2
    fail "$name exited 0 but left pages missing: $*"
  fi
  if [ "$counting" -eq 1 ]; then
    local wall_us=$((${end//[.,]/} - ${start//[.,]/}))
    read -r rss user sys <"$work/$name.time"
    echo "$name $wall_us $rss $user $sys" >>"$work/runs"
  fi
}

# figure NAME FIELD: "median min max" of one figure over the counted runs
# (field 2 wall microseconds, 3 peak KB, 4 user s, 5 system s).
figure() {
  awk -v n="$1" -v f="$2" '$1 == n { print $f }' "$work/runs" | sort -g | awk '
    { v[NR] = $1 }
    END {
      if (NR == 0) exit 1
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      print m, v[1], v[NR]
    }'
}

# What an output folder holds, in bytes: pages (the source's page names),
# data files, shared files once a folder, copies of the source's other files,
# anything else; and the whole.
breakdown() {
  local out=$1 list=$2
  sizes "$out" | awk -v list="$list" '
    FILENAME == list ".pages" { page[$0] = 1; next }
    FILENAME == list ".linked" { files++; next }
    FILENAME == list ".copies" { copy[$0] = 1; next }
    {
      n = $1; sub(/.*\//, "", n)
      if ($1 in page) pages += $2
      else if ($1 in copy) copies += $2
      else if (n ~ /\.zvk$/) data += $2
      else if (n == "decoder.htm" || n == "decoder.jar" || n == "nemora-strong.js") shared += $2
      else if ($1 ~ /^nemora-sealed\//) sealed += $2
      else other += $2
      whole += $2
    }
    END { printf "%d %d %d %d %d %d %d\n", pages, data, shared, copies, other, whole, sealed }
  ' "$list.pages" "$list.copies" -
}

mb() { awk -v b="$1" 'BEGIN { printf "%.2f", b / 1e6 }'; }

cpu=$(lscpu | awk -F': *' '/^Model name/ { m = $2 } /^CPU family/ { f = $2 } /^Model:/ { n = $2 }
  END { printf "%s (family %s, model %s)", m, f, n }')
echo "== Whole sites: $(nproc) cores, $cpu, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(loadavg)"
echo "Linux $(uname -r), output on $(df --output=fstype "$work" | tail -1), Node.js $(node --version)," \
  "staticrypt $staticrypt_version"
load_start=$(loadavg)

# ---------------------------------------------------------------- the python3.11-doc tree
list_tree "$site" "$work/ours"
list_peer_tree "$site" "$work/peer"
# staticrypt stops at the first symbolic link that points nowhere (an
# uncaught ENOENT from its stat). Then it alone gets a scratch copy with
# every link resolved and those left out, and this says so.
peer_site=$site
dangling=$(cd "$site" && find . -xtype l -print)
if [ -n "$dangling" ]; then
  peer_site=$work/peer-site/$(basename "$site")
  mkdir -p "$peer_site"
  printf '%s\n' "$dangling" >"$work/dangling"
  tar -C "$site" -ch --no-wildcards --exclude-from="$work/dangling" -f - . | tar -C "$peer_site" -xf -
  echo "staticrypt reads a copy of the tree without its dangling links (ours reads the tree itself):"
  sed 's/^/  /' "$work/dangling"
  list_peer_tree "$peer_site" "$work/peer"
fi
pages=$(wc -l <"$work/ours.pages")
peer_pages=$(wc -l <"$work/peer.pages")
echo "Tree: $site, $pages pages ($peer_pages by staticrypt's rule), $(wc -l <"$work/ours.all") files"

mkdir -p "$work/out"
round_no=0
round() {
  round_no=$((round_no + 1))
  o1=$work/out/classic-$round_no o2=$work/out/strong-$round_no o3=$work/out/j1-$round_no
  o4=$work/out/peer-$round_no
  peer_root=$o4/$(basename "$peer_site")
  timed classic "$o1" check_ours "$o1" "$work/ours" classic -- \
    "$cli" lock -r "$site" -o "$o1" --password-stdin --classic
  timed strong "$o2" check_ours "$o2" "$work/ours" strong -- \
    "$cli" lock -r "$site" -o "$o2" --password-stdin --strong
  timed j1 "$o3" check_ours "$o3" "$work/ours" classic -- \
    "$cli" lock -r "$site" -o "$o3" --password-stdin --classic -j 1
  STATICRYPT_PASSWORD=$password timed peer "$o4" check_peer "$peer_root" "$work/peer" "$peer_site" -- \
    node "$staticrypt" "$peer_site" -r -d "$o4" --short -c false --remember 7 -s "$peer_salt"
}
echo "Warm-up round, then $runs counted rounds (--classic, --strong, --classic -j 1, staticrypt in turn)"
counting=0
round
counting=1
for ((i = 1; i <= runs; i++)); do round; done
load_part1=$(loadavg)

# One nested page of each output opens to its source, checked once, untimed.
probe=$(grep / "$work/ours.pages" | head -1)
"$cli" unlock "$o1/${probe%.*}.zvk" -o "$work/probe-classic" --password-stdin <"$work/password" >/dev/null 2>&1 ||
  fail "unlock of $o1/${probe%.*}.zvk failed"
"$cli" unlock "$o2/$probe" -o "$work/probe-strong" --password-stdin <"$work/password" >/dev/null 2>&1 ||
  fail "unlock of $o2/$probe failed"
STATICRYPT_PASSWORD=$password node "$staticrypt" "$peer_root/$probe" --decrypt -d "$work/probe-peer" \
  -c false -s "$peer_salt" >/dev/null 2>&1
for f in "$work/probe-classic" "$work/probe-strong" "$work/probe-peer/$(basename "$probe")"; do
  cmp -s "$f" "$site/$probe" || fail "$f is not $site/$probe"
done

read -r src_pages_bytes <<<"$(sizes "$site" | awk -v l="$work/ours.pages" 'FILENAME == l { p[$0] = 1; next } $1 in p { s += $2 } END { print s + 0 }' "$work/ours.pages" -)"
read -r peer_m _ _ <<<"$(figure peer 2)"
read -r peer_rss _ _ <<<"$(figure peer 3)"
read -r _ _ _ _ _ peer_whole <<<"$(breakdown "$peer_root" "$work/peer")"
read -r peer_pub _ _ _ peer_other _ <<<"$(breakdown "$peer_root" "$work/peer")"
peer_pub=$((peer_pub + peer_other))

echo
echo "Source pages: $(mb "$src_pages_bytes") MB. Median of $runs runs (min-max); peak memory of the largest single process."
echo
echo "| run | wall s | user + sys s | peak MiB | published pages MB | of which pages + data + shared + sealed | whole output MB | published / source pages |"
echo "|---|---|---|---|---|---|---|---|"
for name in classic strong j1 peer; do
  case $name in
    classic) label="nemora-cli lock -r --classic" out=$o1 list=$work/ours ;;
    strong) label="nemora-cli lock -r --strong" out=$o2 list=$work/ours ;;
    j1) label="nemora-cli lock -r --classic -j 1" out=$o3 list=$work/ours ;;
    peer) label="staticrypt $staticrypt_version -r" out=$peer_root list=$work/peer ;;
  esac
  read -r m lo hi <<<"$(figure "$name" 2)"
  read -r rss _ _ <<<"$(figure "$name" 3)"
  read -r us _ _ <<<"$(figure "$name" 4)"
  read -r sy _ _ <<<"$(figure "$name" 5)"
  read -r p d s _ x w sl <<<"$(breakdown "$out" "$list")"
  pub=$((p + d + s + x + sl))
  eval "${name}_m=$m ${name}_rss=$rss ${name}_pub=$pub ${name}_whole=$w"
  awk -v l="$label" -v m="$m" -v lo="$lo" -v hi="$hi" -v u="$us" -v s="$sy" -v r="$rss" \
    -v pub="$pub" -v p="$p" -v d="$d" -v sh="$s" -v sl="$sl" -v w="$w" -v src="$src_pages_bytes" 'BEGIN {
      printf "| %s | %.3f (%.3f-%.3f) | %.2f + %.2f | %.1f | %.2f | %.2f + %.2f + %.2f + %.2f | %.2f | %.3f |\n",
        l, m / 1e6, lo / 1e6, hi / 1e6, u, s, r / 1024, pub / 1e6, p / 1e6, d / 1e6, sh / 1e6, sl / 1e6, w / 1e6, pub / src
    }'
done
echo
echo "Goals, each of ours against staticrypt (medians):"
for name in classic strong j1; do
  eval "m=\$${name}_m rss=\$${name}_rss pub=\$${name}_pub whole=\$${name}_whole"
  awk -v n="$name" -v m="$m" -v pm="$peer_m" -v r="$rss" -v pr="$peer_rss" -v p="$pub" -v pp="$peer_pub" \
    -v pw="$peer_whole" -v w="$whole" 'function verdict(ok, over) { return ok ? "met" : sprintf("MISSED by %s", over) }
    BEGIN {
      t = pm / m
      printf "  %-8s wall %5.1f times shorter (goal 10): %s\n", n, t,
        verdict(t >= 10, sprintf("%.0f ms (%.0f%% over %.0f ms)", (m - pm / 10) / 1000, 100 * (m / (pm / 10) - 1), pm / 1e4))
      printf "  %-8s published pages %.3f of its pages (%.3f of its whole output) (goal 0.2): %s\n", n, p / pp, p / pw,
        verdict(p <= pp / 5, sprintf("%.2f MB", (p - pp / 5) / 1e6))
      printf "  %-8s whole output %.3f of its whole output (goal 0.2): %s\n", n, w / pw,
        verdict(w <= pw / 5, sprintf("%.2f MB", (w - pw / 5) / 1e6))
      printf "  %-8s peak memory %.3f of its (goal 0.25): %s\n", n, r / pr,
        verdict(r <= pr / 4, sprintf("%.1f MB", (r - pr / 4) / 1024))
    }'
done

# ---------------------------------------------------------------- generated trees
# Pages of 2-6 KB, twenty to a folder, folders three deep (s/t/u), so both
# trees have the same shape and only the count differs; the words come from
# a generator that always starts from the same state, so every run writes
# the same bytes.
make_tree() {
  local root=$1 count=$2 folders=()
  for ((f = 0; f < (count + 19) / 20; f++)); do
    folders+=("$root/s$((f / 100))/t$((f / 10 % 10))/u$((f % 10))")
  done
  mkdir -p "${folders[@]}"
  printf 'body { font-family: serif; }\n' >"$root/style.css"
  awk -v root="$root" -v count="$count" '
    function rnd(n) { state = (state * 16807) % 2147483647; return state % n }
    BEGIN {
      state = 20261210
      nw = split("the of and a to in is you that it he was for on are as with his they at be this " \
        "have from or one had by word but not what all were we when your can said there use an each " \
        "which she do how their if will up other about out many then them these so some her would make " \
        "like him into time has look two more write go see number no way could people my than first " \
        "water been call who oil its now find long down day did get come made may part page site lock " \
        "password folder cipher stream reader table value module object class return import default", w)
      for (n = 0; n < count; n++) {
        f = int(n / 20)
        dir = root "/s" int(f / 100) "/t" int(f / 10) % 10 "/u" f % 10
        path = dir "/page" n % 20 ".html"
        target = 2000 + rnd(4000)
        printf "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Page %d</title>\n", n > path
        printf "<link rel=\"stylesheet\" href=\"../../../style.css\"></head><body>\n<h1>Page %d</h1>\n", n > path
        size = 180
        while (size < target) {
          line = "<p>"
          for (k = 12 + rnd(30); k > 0; k--) line = line w[1 + rnd(nw)] " "
          if (rnd(3) == 0) line = line "<a href=\"page" rnd(20) ".html\">" w[1 + rnd(nw)] "</a> "
          line = line "</p>"
          print line > path
          size += length(line) + 1
        }
        print "</body></html>" > path
        close(path)
      }
    }'
}

echo
echo "== Generated trees: $runs counted rounds after one warm-up, load $(loadavg)"
for count in 1000 10000; do
  make_tree "$work/gen-$count/site" "$count"
  list_tree "$work/gen-$count/site" "$work/gen-$count"
  [ "$(wc -l <"$work/gen-$count.pages")" -eq "$count" ] || fail "the generator wrote the wrong number of pages"
  sizes "$work/gen-$count/site" |
    awk '{ s += $2 } END { printf "%d pages, %.2f MB of pages\n", NR - 1, s / 1e6 }' >"$work/gen-$count.what"
done
# Both sizes in every round, in turn: each run leaves its output on the
# disk, and making files slows as the file system fills, so a drift falls
# on both alike.
gen_round() {
  round_no=$((round_no + 1))
  local form count out
  for form in classic j1 strong; do
    for count in 1000 10000; do
      out=$work/out/g$count-$form-$round_no
      local extra=()
      case $form in
        classic) extra=(--classic) ;;
        j1) extra=(--classic -j 1) ;;
        strong) extra=(--strong) ;;
      esac
      timed "g$count-$form" "$out" check_ours "$out" "$work/gen-$count" "${form/j1/classic}" -- \
        "$cli" lock -r "$work/gen-$count/site" -o "$out" --password-stdin "${extra[@]}"
    done
  done
}
counting=0
gen_round
counting=1
for ((i = 1; i <= runs; i++)); do gen_round; done
echo
echo "| form | 1,000 pages: ms per page | 10,000 pages: ms per page | 10,000 / 1,000 | 1,000: peak MiB | 10,000: peak MiB | 10,000 / 1,000 | CPU ms per page, user + sys: 1,000 | 10,000 |"
echo "|---|---|---|---|---|---|---|---|---|"
for form in classic j1 strong; do
  case $form in
    classic) label="nemora-cli lock -r --classic" ;;
    j1) label="nemora-cli lock -r --classic -j 1" ;;
    strong) label="nemora-cli lock -r --strong" ;;
  esac
  read -r a alo ahi <<<"$(figure "g1000-$form" 2)"
  read -r b blo bhi <<<"$(figure "g10000-$form" 2)"
  read -r ra _ _ <<<"$(figure "g1000-$form" 3)"
  read -r rb _ _ <<<"$(figure "g10000-$form" 3)"
  read -r ua _ _ <<<"$(figure "g1000-$form" 4)"
  read -r sa _ _ <<<"$(figure "g1000-$form" 5)"
  read -r ub _ _ <<<"$(figure "g10000-$form" 4)"
  read -r sb _ _ <<<"$(figure "g10000-$form" 5)"
  awk -v l="$label" -v a="$a" -v alo="$alo" -v ahi="$ahi" -v b="$b" -v blo="$blo" -v bhi="$bhi" \
    -v ra="$ra" -v rb="$rb" -v ua="$ua" -v sa="$sa" -v ub="$ub" -v sb="$sb" 'BEGIN {
      printf "| %s | %.3f (%.3f-%.3f) | %.3f (%.3f-%.3f) | %.2f | %.1f | %.1f | %.2f | %.3f + %.3f | %.3f + %.3f |\n", l,
        a / 1e6, alo / 1e6, ahi / 1e6, b / 1e7, blo / 1e7, bhi / 1e7, (b / 1e4) / (a / 1e3), ra / 1024, rb / 1024, rb / ra,
        ua, sa, ub / 10, sb / 10
    }'
done
echo
for count in 1000 10000; do echo "Tree of $count: $(cat "$work/gen-$count.what")"; done
echo "Whole wall times (ms, median): $(for k in g1000-classic g10000-classic g1000-j1 g10000-j1 g1000-strong g10000-strong; do
  read -r m _ _ <<<"$(figure "$k" 2)"
  printf '%s %.0f  ' "$k" "$(awk -v m="$m" 'BEGIN { print m / 1000 }')"
done)"
echo "Load: $load_start at the start, $load_part1 after the python tree, $(loadavg) at the end"
echo "Every run: $work/runs (name, wall microseconds, peak KB, user s, system s)"

# The outputs and trees go once every figure is out; the stamp makes the
# next run wait out the deletion.
rm -rf "$work/out" "$work"/gen-*/ "$work/peer-site"
sync
date +%s >"$deleted_stamp"
