#!/usr/bin/env bash
# Installs what is missing, builds Brantwell and runs it: the desktop program when a display is
# there, otherwise the main test of brantwell-cli on the drive that holds the working folder
# (arguments are passed to `brantwell-cli test`, e.g. --drive D: --write).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# A compiler cache, when there is one, makes the next build of a fresh clone quick.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRANTWELL_TESTS=OFF \
  -DBRANTWELL_BENCH=OFF "${launcher[@]}" >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build build -j"$(nproc)"
  exec build/src/app/brantwell
fi
# Without a display only the command-line program is needed.
cmake --build build -j"$(nproc)" --target brantwell-cli
echo "No display: running the main test with brantwell-cli (brantwell-cli --help lists the rest)."
exec build/src/cli/brantwell-cli test "$@"
