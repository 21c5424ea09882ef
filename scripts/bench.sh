#!/usr/bin/env bash
# Builds the bench preset (Linux, release) and runs the benchmark program, which measures the
# registry and its peers in one run and prints the table of figures with the registry's ratios
# and the goals met or missed. Arguments go to the program (Google Benchmark's flags, and
# --skip-memory to leave out the peak-memory runs). Never part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh >/dev/null
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target pelok_bench >/dev/null
exec build/bench/bin/pelok_bench "$@"
