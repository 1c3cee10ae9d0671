#!/usr/bin/env bash
# Rebuilds the strong page's stream reader in WebAssembly,
# publish/web/strong/nemora-stream.js (the module in base64, so the page
# needs no fetch and opens from file:// too) and nemora-stream.sha256 (the
# module's checksum), from publish/web/strong/wasm/read-stream.c with
# Debian 12's clang-14 and wasm-ld. Only this step needs the compiler;
# building the program and publishing use the committed files.
# With --check it builds into a scratch folder and fails unless the result is
# byte for byte what is committed.
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case ${1:-} in
  --check) check=true ;;
  '') ;;
  *) echo "usage: tools/build-wasm.sh [--check]" >&2; exit 2 ;;
esac

out=publish/web/strong
source=$out/wasm/read-stream.c
files=(nemora-stream.js nemora-stream.sha256)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# No C library and no imports: the module is the one function and its
# memory. Without debug information and names nothing of this machine (paths,
# the time) reaches the module.
clang-14 --target=wasm32 -nostdlib -ffreestanding -fno-builtin -O2 -Wall -Wextra -Werror \
  -c "$source" -o "$scratch/read-stream.o"
wasm-ld-14 --no-entry --export=__heap_base --strip-all -o "$scratch/read-stream.wasm" "$scratch/read-stream.o"

mkdir -p "$scratch/built"
{
  echo "/*! NemoraStream: $source built by tools/build-wasm.sh (clang-14, wasm-ld-14). */"
  printf "globalThis.NemoraStream = '%s';\n" "$(base64 -w0 "$scratch/read-stream.wasm")"
} >"$scratch/built/nemora-stream.js"
(cd "$scratch" && sha256sum read-stream.wasm) >"$scratch/built/nemora-stream.sha256"

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

for file in "${files[@]}"; do
  cp "$scratch/built/$file" "$out/$file"
done
echo "written: ${files[*]/#/$out/}"
