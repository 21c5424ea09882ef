#!/usr/bin/env bash
# Sets the machine up, builds every preset and runs all their tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

presets=(${PELOK_PRESETS:-linux linux-asan win32})
for preset in "${presets[@]}"; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}"
  echo "== ${preset}: test"
  ctest --preset "${preset}"
done
