#!/usr/bin/env bash
# Installs what the build, the tests and the tools need on Debian 12, if missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang lld libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          mingw-w64 wine64 libsndfile1-dev libcairo2-dev fonts-dejavu-core zip e2fsprogs valgrind locales
          xvfb xdotool imagemagick clang-format fiu-utils libfiu-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
