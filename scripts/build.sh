#!/usr/bin/env bash
# Configures and builds BKPZelto into build/ (the program is build/bkpzelto).
# BKP_STRICT=1 turns every compiler warning into an error.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[[ ${BKP_STRICT:-0} == 1 ]] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBKP_WERROR=$werror >/dev/null
cmake --build build --parallel "$(nproc)"
