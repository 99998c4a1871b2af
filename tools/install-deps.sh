#!/usr/bin/env bash
# Installs the Debian packages velmar builds and tests with, when they are missing.
set -euo pipefail
packages=(g++ cmake make liblzma-dev libgtest-dev googletest libbenchmark-dev gaviotatb libgaviotatb-dev)
# The 32-bit build: the multilib compiler and the i386 libraries, and qemu-i386 to run its programs
# where the kernel runs no 32-bit code.
packages+=(g++-multilib liblzma-dev:i386 libgtest-dev:i386 qemu-user)
dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; apt-get update -qq; }

# clang and its runtime libraries build the fuzz targets (tools/fuzz.sh).
packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
