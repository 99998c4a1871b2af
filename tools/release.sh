#!/usr/bin/env bash
# Builds the engine for every platform from a clean copy of the committed tree and writes the
# release archives to dist/: velmar-<version>-<platform>.zip for Windows, .tar.xz for Linux, each
# with the engine, its book, the personalities, README.md and LICENSE; dist/SHA256SUMS lists them.
# Every engine is profile-guided where it can be run here (natively, under Wine or under qemu) and
# linked statically. Ends with a table: platform, archive, size, and the bench signature as the
# engine gives it on its own platform (emulated where needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh >&2
version=$(sed -nE 's/^project\(velmar VERSION ([^ ]+) .*/\1/p' CMakeLists.txt)
root=$PWD
work=$root/build-release
rm -rf "$work" "$root/dist"
mkdir -p "$work/src" "$root/dist"
git archive --format=tar HEAD | tar -x -C "$work/src"

# platform, toolchain file (none: this machine's compiler), processor level, how to run it here
platforms=(
  "linux-x86-64||portable|"
  "linux-x86-64-popcnt||popcnt|"
  "linux-i686|cmake/i386-linux-gnu.cmake|portable|qemu-i386"
  "linux-aarch64|cmake/aarch64-linux-gnu.cmake|portable|qemu-aarch64"
  "windows-x86-64|cmake/x86_64-w64-mingw32.cmake|portable|wine64"
  "windows-x86-64-popcnt|cmake/x86_64-w64-mingw32.cmake|popcnt|wine64"
  "windows-i686|cmake/i686-w64-mingw32.cmake|portable|wine"
)

# Runs a built program as its platform does, here.
run_on_platform() {
  local how=$1
  shift
  case $how in
    "") "$@" ;;
    wine64) WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 "$@" ;;
    wine) WINEPREFIX=$work/wine-prefix32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$@" ;;
    *) "$how" "$@" ;;
  esac
}

table=()
for entry in "${platforms[@]}"; do
  IFS='|' read -r platform toolchain cpu how <<<"$entry"
  build=$work/$platform
  toolchain_args=()
  [ -n "$toolchain" ] && toolchain_args=(--toolchain "$work/src/$toolchain")
  # The profile is trained by running the instrumented engine: only where it runs here.
  pgo=ON
  [ "$how" = wine ] && ! run_on_platform wine /bin/true >/dev/null 2>&1 && pgo=OFF
  echo "== $platform (profile-guided: $pgo)" >&2
  cmake -S "$work/src" -B "$build" "${toolchain_args[@]}" -DCMAKE_BUILD_TYPE=Release -DVELMAR_CPU="$cpu" \
    -DVELMAR_PGO=$pgo -DVELMAR_STATIC=ON -DVELMAR_TESTS=OFF -DVELMAR_BENCH=OFF >"$build.log" 2>&1 ||
    { tail -20 "$build.log"; exit 1; }
  # The book is the same file on every platform: built once, by the first (this machine's) build.
  targets=(velmar)
  [ -f "$work/velmar.vbk" ] || targets+=(default_book)
  cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >>"$build.log" 2>&1 || { tail -20 "$build.log"; exit 1; }
  [ -f "$work/velmar.vbk" ] || cp "$build/velmar.vbk" "$work/velmar.vbk"

  name=velmar-$version-$platform
  stage=$work/stage/$name
  mkdir -p "$stage"
  exe=velmar
  [[ $platform == windows-* ]] && exe=velmar.exe
  cp "$build/$exe" "$stage/$exe"
  cp "$work/velmar.vbk" "$work/src/README.md" "$work/src/LICENSE" "$stage/"
  cp -r "$work/src/personalities" "$stage/"
  if [[ $platform == windows-* ]]; then
    archive=$name.zip
    (cd "$work/stage" && zip -q -r -X "$root/dist/$archive" "$name")
  else
    archive=$name.tar.xz
    tar -C "$work/stage" --owner=0 --group=0 --sort=name -cJf "$root/dist/$archive" "$name"
  fi
  signature=$( (cd "$stage" && run_on_platform "$how" "./$exe" bench </dev/null 2>/dev/null) |
    sed -nE 's/^bench depth 9: ([0-9]+) nodes.*/\1/p' || true)
  table+=("$platform|$archive|$(stat -c %s "$root/dist/$archive")|${signature:-not run here}")
done

(cd "$root/dist" && sha256sum -- *.zip *.tar.xz >SHA256SUMS)
printf '\n| Platform | Archive | Size (bytes) | bench signature |\n|---|---|---|---|\n'
for row in "${table[@]}"; do
  IFS='|' read -r platform archive size signature <<<"$row"
  printf '| %s | %s | %s | %s |\n' "$platform" "$archive" "$size" "$signature"
done
