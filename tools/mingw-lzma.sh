#!/usr/bin/env bash
# Builds a static liblzma for each Windows target from Debian's xz-utils source package, into
# /opt/velmar-deps/<target> (the toolchain files in cmake/ look there). The source comes through
# a private apt configuration holding deb-src lines made from the machine's own deb lines, so the
# machine's sources stay as they are. Nothing is done for a target already built.
set -euo pipefail
source "$(dirname "$0")/apt-retry.sh"
prefix_root=/opt/velmar-deps
targets=(x86_64-w64-mingw32 i686-w64-mingw32)

todo=()
for t in "${targets[@]}"; do
  [ -f "$prefix_root/$t/lib/liblzma.a" ] || todo+=("$t")
done
[ ${#todo[@]} -eq 0 ] && exit 0

work=$prefix_root/src
apt_dir=$prefix_root/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work"
# deb-src twins of the machine's deb entries, in both of apt's formats.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
  sed -nE 's/^deb[[:space:]]+/deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list.d/main.list"
fi
apt_private=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o "APT::Sandbox::User=root")
if ! ls "$work"/xz-utils-*/configure >/dev/null 2>&1; then
  # A source index that stays broken may not be xz-utils': the download decides.
  apt_retry apt-get "${apt_private[@]}" update -qq || echo "source indexes incomplete; trying the download" >&2
  (cd "$work" && apt_retry apt-get "${apt_private[@]}" source -qq xz-utils)
fi
source_dir=$(ls -d "$work"/xz-utils-*/ | head -n 1)

for t in "${todo[@]}"; do
  echo "building liblzma for $t"
  build=$work/build-$t
  rm -rf "$build" && mkdir -p "$build"
  # Decoding only is needed, but the library is built whole: its own build decides what it holds.
  (cd "$build" &&
    "$source_dir/configure" --host="$t" --prefix="$prefix_root/$t" CC="$t-gcc-posix" \
      --enable-static --disable-shared --disable-nls --disable-doc --disable-scripts \
      --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
      >configure.log &&
    make -j"$(nproc)" >make.log &&
    make install >install.log) || { echo "liblzma for $t failed; see $build"; exit 1; }
done
