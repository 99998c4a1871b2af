#!/usr/bin/env bash
# Installs the Debian packages velmar builds and tests with, when they are missing, and builds
# liblzma for the Windows targets from Debian's own xz-utils source (Debian ships no MinGW build).
set -euo pipefail
source "$(dirname "$0")/apt-retry.sh"
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
# An index that stays broken may be one nothing here needs, so the install decides: it fails
# plainly when a package it wants cannot be had.
indexes_complete=1
update_indexes() {
  apt_retry apt-get update -qq && return 0
  indexes_complete=0
  echo "apt-get update kept failing; going on with the indexes at hand" >&2
}
install_missing() {
  apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}"
}
# When one architecture's index of the security suite is missing, its packages are older than
# the other architectures', and multiarch libraries must match across them. Preferring the
# release and its point updates to the security suite, for this one install, lines them up.
install_missing_without_security_suite() {
  local prefs
  prefs=$(mktemp -d)
  cp /etc/apt/preferences.d/* "$prefs"/ 2>/dev/null || true
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$prefs/zz-velmar-no-security"
  echo "installing again, preferring the release to the security suite (its indexes are incomplete)" >&2
  install_missing -o "Dir::Etc::PreferencesParts=$prefs"
  local status=$?
  rm -rf "$prefs"
  return $status
}
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  update_indexes
  install_missing || { [ $indexes_complete = 0 ] && install_missing_without_security_suite; }
elif [ $updated = 1 ]; then
  update_indexes
fi

bash "$(dirname "$0")/mingw-lzma.sh"
