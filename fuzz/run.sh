#!/usr/bin/env bash
# Runs every fuzz target of a linux-fuzz build for a bounded time each, starting from its seed
# corpus (read only: new inputs go to a scratch folder). Prints the executions per target; a
# crash fails the run and leaves its input (crash-*) in the scratch folder, to be kept in
# fuzz/corpus/<target> once fixed.
#   fuzz/run.sh [build-dir] [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux-fuzz}
seconds=${2:-45}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in fuzz_ini_reader fuzz_value_encoding fuzz_bounded_string fuzz_store_file \
              fuzz_front_operations; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if (cd "$scratch" && "$OLDPWD/$build/bin/$target" -max_total_time="$seconds" -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 "$scratch/$target" "$OLDPWD/fuzz/corpus/$target") \
        >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz: $target: $runs executions in ${seconds} s, no crash"
  else
    echo "fuzz: $target FAILED"; grep -v '^#' "$log" | tail -40
    mkdir -p fuzz/crashes && cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* fuzz/crashes/ 2>/dev/null || true
    status=1
  fi
done
exit $status
