#!/usr/bin/env bash
# Installs what is missing, builds Brantwell with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test (unit, gui, e2e) through ctest. The e2e tests need root; without it they
# skip and say why.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRANTWELL_SANITIZE=ON -DBRANTWELL_REQUIRE_GUI=ON >/dev/null
cmake --build build-asan -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
ctest --output-on-failure --timeout 900 -j"$(nproc)"
