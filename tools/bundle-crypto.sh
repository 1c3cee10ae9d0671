#!/usr/bin/env bash
# Rebuilds the strong lock's browser cryptography, publish/web/strong/
# nemora-crypto.js, with its licences and checksum, from the libraries pinned
# in tools/vendor-crypto/package-lock.json. Only this step needs the npm
# registry; building the program and publishing use the committed files.
# With --check it builds into a scratch folder and fails unless the result is
# byte for byte what is committed.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case ${1:-} in
  --check) check=true ;;
  '') ;;
  *) echo "usage: tools/bundle-crypto.sh [--check]" >&2; exit 2 ;;
esac

out=publish/web/strong
files=(nemora-crypto.js THIRD-PARTY-LICENSES.txt nemora-crypto.sha256)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp tools/vendor-crypto/package.json tools/vendor-crypto/package-lock.json \
  tools/vendor-crypto/entry.js tools/vendor-crypto/build.js "$scratch/"

# npm ci installs exactly the lock file's versions and checks each archive
# against its sha512; no package's install script runs. esbuild finds its
# binary in the lock file's optional @esbuild/<platform> package.
(cd "$scratch" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
# The locale and time zone must not reach the output.
(cd "$scratch" && LC_ALL=C TZ=UTC node build.js built)

if $check; then
  status=0
  for file in "${files[@]}"; do
    if cmp -s "$scratch/built/$file" "$out/$file"; then
      echo "same: $out/$file"
    else
      echo "DIFFERS: $out/$file" >&2
      status=1
    fi
  done
  exit $status
fi

mkdir -p "$out"
for file in "${files[@]}"; do
  cp "$scratch/built/$file" "$out/$file"
done
echo "written: ${files[*]/#/$out/}"
