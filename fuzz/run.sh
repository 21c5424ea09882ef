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
targets=(fuzz_ini_reader fuzz_value_encoding fuzz_bounded_string fuzz_store_file
         fuzz_front_operations fuzz_xml_escape)

# One target: its verdict goes to $scratch/<target>.result, its output to <target>.log.
run_target() {
  local target=$1 log="$scratch/$1.log"
  mkdir -p "$scratch/$target"
  if (cd "$scratch" && "$OLDPWD/$build/bin/$target" -max_total_time="$seconds" -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 "$scratch/$target" "$OLDPWD/fuzz/corpus/$target") \
        >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz: $target: $runs executions in ${seconds} s, no crash" >"$scratch/$target.result"
  else
    echo "FAILED" >"$scratch/$target.result"
  fi
}

# Each target is single-threaded: two run side by side on the two cores.
jobs=${PELOK_FUZZ_JOBS:-2}
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$target" &
done
wait

status=0
for target in "${targets[@]}"; do
  if [ "$(cat "$scratch/$target.result")" = FAILED ]; then
    echo "fuzz: $target FAILED"; grep -v '^#' "$scratch/$target.log" | tail -40
    mkdir -p fuzz/crashes
    cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* fuzz/crashes/ 2>/dev/null || true
    status=1
  else
    cat "$scratch/$target.result"
  fi
done
exit $status
