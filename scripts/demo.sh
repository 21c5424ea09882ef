#!/usr/bin/env bash
# Sets the machine up, builds pelreg and the three modules (linux preset) and shows pelreg at
# work in a fresh directory: values of the three types set, read back by new processes, the
# tree of keys, a missing value, and the store file itself.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target pelreg PelReg PelFact PelXml

pelreg="$repo/build/linux/bin/pelreg"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "== pelreg in $work"

# Every line is a new process: what one sets, the next reads from the store file.
run() {
  local shown="pelreg" arg
  for arg in "$@"; do
    if [[ $arg == *" "* ]]; then shown+=" \"$arg\""; else shown+=" $arg"; fi
  done
  echo "\$ $shown"
  "$pelreg" "$@"
}
run set share/app port 8080 --type int
run set share/app title "Hello, registry"
run set share/app/net mask FFFFFF00 --type binary
run get share/app port
run get share/app title
run get share/app/net mask
run list share/app
run tree

echo "\$ pelreg get share/app missing"
status=0
"$pelreg" get share/app missing 2>&1 || status=$?
echo "(exit status $status: the value is not there)"

echo "\$ cat registry.xml"
cat registry.xml
echo "== done"
