#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The Firebird server and
# the FTP servers the tests need are started and stopped by the tests themselves.
set -euo pipefail
cd "$(dirname "$0")/.."
# An include that points to a folder above its own fails before anything builds.
bash scripts/check-layers.sh
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure --timeout 300 "$@"
