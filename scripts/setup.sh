#!/usr/bin/env bash
# Brings a fresh Debian 12 machine (run as root) to a state that builds every preset.
# Idempotent: a second run on a ready machine only checks and returns within seconds.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
export DEBIAN_FRONTEND=noninteractive

packages=(g++ cmake ninja-build libgtest-dev googletest libgmock-dev libbenchmark-dev
          libpugixml-dev libsqlite3-dev g++-mingw-w64-i686-posix clang valgrind
          dpkg-dev help2man libxml2-utils wine wine32:i386)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

apt_updated=0
# A mirror in the middle of a sync serves index files of the wrong size for a while: try again,
# and go on with the indexes that did arrive if it keeps failing (the install that follows says
# what is really missing).
apt_update() {
  [ "$apt_updated" = 0 ] || return 0
  local attempt
  for attempt in 1 2 3 4 5; do
    if apt-get update -qq; then apt_updated=1; return 0; fi
    echo "setup: apt-get update failed (attempt $attempt), trying again" >&2
    sleep $((attempt * 10))
  done
  echo "setup: going on with the package indexes that could be fetched" >&2
  apt_updated=1
}

# deb-src entries, so that the Windows build can compile Debian's pugixml source.
enable_deb_src() {
  local changed=0 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    if grep -q '^Types: deb$' "$f"; then
      sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
      changed=1
    fi
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list \
      && ! grep -q '^deb-src ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> /etc/apt/sources.list
    changed=1
  fi
  [ "$changed" = 0 ] || apt_updated=0
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  enable_deb_src
  apt_update
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# pugixml sources for the 32-bit Windows build, unpacked into a git-ignored folder.
src_dir="$repo/third_party/pugixml"
if [ ! -f "$src_dir/src/pugixml.cpp" ]; then
  echo "setup: fetching Debian's pugixml source"
  enable_deb_src
  apt_update
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source -qq --download-only pugixml >/dev/null)
  dsc=$(ls "$tmp"/pugixml_*.dsc | head -n 1)
  rm -rf "$src_dir"
  mkdir -p "$repo/third_party"
  dpkg-source --no-check -x "$dsc" "$src_dir" >/dev/null
  rm -rf "$tmp"
fi

# One Wine prefix for the Windows tests, created once and reused.
export WINEPREFIX="$repo/build/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating the Wine prefix"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
echo "setup: ready"
