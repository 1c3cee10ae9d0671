#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format (Debian's
# clang-format 14, which tools/install-deps.sh installs), or with --check
# lists the files that drift and fails. The test command runs the check.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '/node_modules/')
if [[ ${1:-} == --check ]]; then
  drifting=()
  for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || drifting+=("$file")
  done
  if ((${#drifting[@]})); then
    echo "Not formatted (run tools/format.sh): ${drifting[*]}" >&2
    exit 1
  fi
  echo "format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
