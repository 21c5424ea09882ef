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
  if [ "${preset}" = win32 ]; then
    ctest --preset "${preset}"  # one Wine process at a time
  else
    ctest --preset "${preset}" --parallel 2
  fi
  if [ "${preset}" != linux-asan ]; then
    echo "== ${preset}: install, and a separate project built against the installed package"
    bash scripts/consumer_test.sh "${preset}"
  fi
done

# Reliability, on Linux only (skip with PELOK_RELIABILITY=0): the threads and host tests under
# ThreadSanitizer, every fuzz target for a bounded time, and the Linux suite under valgrind.
if [ "${PELOK_RELIABILITY:-1}" = 1 ]; then
  echo "== linux-tsan: configure, build and test (threads and host tests)"
  cmake --preset linux-tsan >/dev/null
  cmake --build --preset linux-tsan
  ctest --preset linux-tsan

  echo "== linux-fuzz: configure, build and run each target for ${PELOK_FUZZ_SECONDS:-45} s"
  cmake --preset linux-fuzz >/dev/null
  cmake --build --preset linux-fuzz
  bash fuzz/run.sh build/linux-fuzz "${PELOK_FUZZ_SECONDS:-45}"

  echo "== linux-valgrind: configure, build and run every test under valgrind memcheck"
  cmake --workflow --preset linux-valgrind
fi
