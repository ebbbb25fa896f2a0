#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The Firebird server and
# the FTP servers the tests need are started and stopped by the tests themselves.
# BKP_STRICT=1 (CI sets it) also fails on a source file clang-format would change and
# builds with -Werror, so a warning fails the run; a user's build with a newer
# compiler is not stopped by a warning it alone gives.
set -euo pipefail
cd "$(dirname "$0")/.."
# An include that points to a folder above its own fails before anything builds.
bash scripts/check-layers.sh
bash scripts/install-deps.sh
if [[ ${BKP_STRICT:-0} == 1 ]]; then
  bash scripts/check-format.sh
fi
bash scripts/build.sh
cd build
ctest --output-on-failure --timeout 300 "$@"
