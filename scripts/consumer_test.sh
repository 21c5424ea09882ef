#!/usr/bin/env bash
# Installs a built preset into a fresh prefix, builds examples/consumer against it as another
# project would (find_package(PelReg CONFIG)) and runs the program twice: the second run must
# read back what the first one kept.
#   scripts/consumer_test.sh PRESET      (linux, linux-asan or win32)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
prefix=$PWD/build/$preset-install
consumer=$PWD/build/$preset-consumer
rm -rf "$prefix" "$consumer"
cmake --install "build/$preset" --prefix "$prefix" >/dev/null

args=(-S examples/consumer -B "$consumer" -G Ninja -DPelReg_DIR="$prefix/lib/cmake/PelReg")
run=()
if [ "$preset" = win32 ]; then
  args+=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake")
  run=(bash "$PWD/cmake/wine-run.sh")
fi
cmake "${args[@]}" >/dev/null
cmake --build "$consumer"

registry_file=$(cat "$consumer/registry_file.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=$consumer/settings_example
[ "$preset" = win32 ] && program=$program.exe
first=$(cd "$work" && "${run[@]}" "$program" "$registry_file" | tr -d '\r')
second=$(cd "$work" && "${run[@]}" "$program" "$registry_file" | tr -d '\r')
expect_first="run 1, last greeting: none, stamp bytes: 0"
expect_second="run 2, last greeting: hello from run 1, stamp bytes: 3"
if [ "$first" != "$expect_first" ] || [ "$second" != "$expect_second" ]; then
  printf 'consumer: unexpected output\n  first:  %s\n  second: %s\n' "$first" "$second" >&2
  exit 1
fi
echo "consumer ($preset): the second run read back what the first one kept"
