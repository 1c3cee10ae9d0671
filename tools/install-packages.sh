#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing:
# with apt-get as root, otherwise it prints the line to run and fails.
# With --node, Node.js and npm too, unless the machine carries its own.
set -euo pipefail

packages=()
for arg in "$@"; do
  if [ "$arg" = --node ]; then
    if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
      packages+=(nodejs npm)
    fi
  else
    packages+=("$arg")
  fi
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi
