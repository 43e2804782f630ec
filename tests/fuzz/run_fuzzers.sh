#!/usr/bin/env bash
# Runs each fuzzer for a bounded time, starting from its seed corpus in the repo. What the fuzzers
# find goes to a scratch folder, never into the repo; it is removed when every fuzzer passes and
# kept, with the failing input, when one fails.
# usage: tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_EACH]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-13}
fuzzers=(firmware_header_fuzzer discovery_names_fuzzer sense_fuzzer scenario_fuzzer)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/drvflash-fuzz.XXXXXX")
failed=()
for name in "${fuzzers[@]}"; do
  mkdir -p "$scratch/$name"
  # -timeout: an input that takes this long is a hang, and fails the run.
  options=(-max_total_time="$seconds" -timeout=10 -artifact_prefix="$scratch/$name-")
  if [ -f "$here/${name%_fuzzer}.dict" ]; then
    options+=(-dict="$here/${name%_fuzzer}.dict")
  fi
  # New inputs go to the first folder given, the scratch one.
  if "$build/tests/fuzz/$name" "${options[@]}" "$scratch/$name" "$here/corpus/$name" \
      >"$scratch/$name.log" 2>&1; then
    echo "fuzz: $name passed: $(grep -o 'Done [0-9]* runs in [0-9]* second' "$scratch/$name.log")s"
  else
    echo "fuzz: $name FAILED; its log:"
    tail -n 40 "$scratch/$name.log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: ${failed[*]} failed; inputs and logs kept in $scratch"
  exit 1
fi
rm -rf "$scratch"
echo "fuzz: all ${#fuzzers[@]} fuzzers passed"
