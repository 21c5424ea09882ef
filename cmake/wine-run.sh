#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine with the build's own prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win32
exec wine "$@"
