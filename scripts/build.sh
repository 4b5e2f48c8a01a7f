#!/usr/bin/env bash
# Builds every tree and copies the products into dist/:
#   build/win32 (launcher.exe), build/win64 (launcher64.exe), build/host
#   (the builder and unit tests), build/host-san (the same under ASan/UBSan),
#   build/builder-win64 (the builder for Windows, dist/ltrbuild.exe);
#   then the Java side (java/build.sh: dist/lantor-runtime.jar).
set -euo pipefail
cd "$(dirname "$0")/.."

# Quiet when there is nothing to say; the whole output when a build fails.
build_tree() {
  local out
  if ! out=$(ninja -C "build/$1" --quiet "${@:2}" 2>&1); then
    echo "$out"
    return 1
  fi
  [ -z "$out" ] || grep -v '^ninja: no work to do' <<<"$out" || true
}

configure() {
  local tree=$1; shift
  [ -f "build/$tree/build.ninja" ] || cmake -S . -B "build/$tree" -G Ninja -Wno-dev "$@" >/dev/null
}

configure win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel
configure win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel
configure host -DCMAKE_BUILD_TYPE=RelWithDebInfo
configure host-san -DCMAKE_BUILD_TYPE=Debug -DLAUNCHER_SANITIZE=ON
configure builder-win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLAUNCHER_WINDOWS_BUILDER=ON

for tree in ${BUILD_TREES:-win32 win64 host host-san builder-win64}; do
  build_tree "$tree"
done

mkdir -p dist
cp build/win32/launcher.exe dist/launcher.exe
cp build/win64/launcher.exe dist/launcher64.exe
cp build/host/ltrbuild dist/ltrbuild
[ ! -f build/builder-win64/ltrbuild.exe ] || cp build/builder-win64/ltrbuild.exe dist/ltrbuild.exe

java/build.sh
