#!/usr/bin/env bash
# Installs what the build and the tests need (as root, through apt). Quick
# when everything is there: it only asks dpkg.
set -euo pipefail

packages=(cmake ninja-build make g++ python3 libgtest-dev nlohmann-json3-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
          wine wine64 xvfb xdotool imagemagick osslsigncode clang libclang-rt-14-dev curl
          openjdk-17-jdk-headless libarchive-tools busybox 7zip python3-pefile python3-jsonschema)

# Some machines cannot execute 32-bit programs at all; Wine's 32-bit loader
# is only worth installing where a tiny i386 ELF (exit(0)) runs.
can_run_32bit() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
  chmod +x "$probe"
  local ok=1
  "$probe" 2>/dev/null && ok=0
  rm -f "$probe"
  return $ok
}

if can_run_32bit; then
  packages+=(wine32:i386)
  dpkg --print-foreign-architectures | grep -qx i386 || { echo "setup: adding the i386 architecture"; dpkg --add-architecture i386; }
fi

missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q >/dev/null
apt-get install -y -q "${missing[@]}" >/dev/null
