#!/usr/bin/env bash
# Fails when clang-format (Debian 12's, version 14) would change a source file: every
# file under src/, tests/ and bench/ is kept in the project's .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format: clang-format is missing" >&2; exit 1; }
mapfile -t files < <(find src tests bench \( -name '*.cpp' -o -name '*.h' \) | sort)
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/bkp-format.$$; then
  grep -oE '^[^: ]+\.(cpp|h):' /tmp/bkp-format.$$ | sort -u | sed 's/:$/: not formatted (run clang-format -i)/'
  rm -f /tmp/bkp-format.$$
  exit 1
fi
rm -f /tmp/bkp-format.$$
echo "format: every source file is as clang-format writes it"
