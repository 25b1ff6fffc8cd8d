#!/usr/bin/env bash
# Installs what Brantwell needs to build, test and benchmark on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-charts-dev libgl-dev libqt6opengl6-dev
  libcli11-dev nlohmann-json3-dev libfmt-dev libmount-dev libblkid-dev
  # tests
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-jsonschema
  xvfb xauth x11-apps imagemagick poppler-utils
  util-linux fdisk e2fsprogs xfsprogs btrfs-progs dosfstools kmod
  groff-base man-db bsdextrautils
  # benchmarks
  fio sysstat
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
