#!/usr/bin/env bash
# Installs the Debian packages velmar builds and tests with, when they are missing, and builds
# liblzma for the Windows targets from Debian's own xz-utils source (Debian ships no MinGW build).
set -euo pipefail
packages=(g++ cmake make liblzma-dev libgtest-dev googletest libbenchmark-dev gaviotatb libgaviotatb-dev)
# The 32-bit build: Debian's i686 cross compiler (g++-multilib would refuse to share the machine
# with the other cross compilers) and the i386 libraries, and qemu-i386 to run its programs where
# the kernel runs no 32-bit code.
packages+=(g++-i686-linux-gnu liblzma-dev:i386 libgtest-dev:i386 qemu-user)
# The Windows builds: MinGW-w64 with POSIX threads, Wine to run them (wine32 for the 32-bit one).
packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 wine32:i386 dpkg-dev)
# The Linux aarch64 build: the cross compiler and the arm64 liblzma; qemu-aarch64 runs it.
packages+=(g++-aarch64-linux-gnu liblzma-dev:arm64)
# Release archives.
packages+=(zip xz-utils)
# clang and its runtime libraries build the fuzz targets (tools/fuzz.sh).
packages+=(clang libclang-rt-14-dev)

export DEBIAN_FRONTEND=noninteractive
updated=0
for arch in i386 arm64; do
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    dpkg --add-architecture "$arch"
    updated=1
  fi
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
elif [ $updated = 1 ]; then
  apt-get update -qq
fi

bash "$(dirname "$0")/mingw-lzma.sh"
