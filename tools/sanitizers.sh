#!/bin/bash
# Runs the sanitizer build (the host-asan preset, built beforehand): the unit
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz
# target of tests/fuzz for a bounded time, from a copy of its committed seed
# corpus (build/host-asan/fuzz/<target>/, made afresh each run, so the
# committed corpus never changes and a run is repeatable).
#
#   tools/sanitizers.sh [SECONDS]   SECONDS per fuzz target, 20 by default
#
# Any sanitizer report, broken property or crash fails the run; a fuzzer's
# failing input is kept as build/host-asan/fuzz/<target>-crash-<sha1>. The
# last line sums up: passed (N unit tests, 4 targets, X executions) or failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/host-asan
seconds=${1:-20}

# Readable stacks in reports (Debian names the symbolizer after its version).
if command -v llvm-symbolizer-14 >/dev/null; then
  export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14)}
fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

failed=()
echo "== host-asan: unit tests"
unit_log=$build/unit-tests.log
if "$build/tests/unit_tests" --gtest_brief=1 >"$unit_log" 2>&1; then
  unit_tests=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$unit_log")
else
  tail -n 40 "$unit_log"
  failed+=("unit tests, see ${unit_log#"$root"/}")
  unit_tests=0
fi

targets=0 executions=0
for corpus in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  target=${name}_fuzz
  scratch=$build/fuzz/$name
  log=$build/fuzz/$name.log
  echo "== host-asan: $target for ${seconds}s"
  rm -rf "$scratch" "$build/fuzz/$name-"* && mkdir -p "$scratch" && cp "$corpus"* "$scratch"/
  # A fixed seed, a time-out per input and a memory limit (the sanitizers'
  # own bookkeeping takes about 500 MB).
  if "$build/tests/fuzz/$target" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -artifact_prefix="$build/fuzz/$name-" "$scratch" >"$log" 2>&1; then
    runs=$(sed -n 's/^Done \([0-9]*\) runs in .*/\1/p' "$log")
    echo "$runs executions"
    executions=$((executions + runs))
    targets=$((targets + 1))
  else
    tail -n 40 "$log"
    failed+=("$target, see ${log#"$root"/}")
  fi
done

echo "== sanitizers and fuzzing"
if [ ${#failed[@]} -eq 0 ]; then
  echo "passed ($unit_tests unit tests, $targets targets, $executions executions)"
else
  echo "failed ($(IFS=';'; echo "${failed[*]}"))"
  exit 1
fi
