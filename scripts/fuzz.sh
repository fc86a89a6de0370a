#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz/) and runs each for SECONDS
# (default 60) on its seed corpus, then on what it finds. Prints per harness the
# executions, the coverage and any finding; exits non-zero when a harness does
# not build or finds a fault.
#
#   bash scripts/fuzz.sh [SECONDS]
#   FUZZ_ONLY="scenario simstate"   run only these harnesses
#   FUZZ_PARALLEL=n                 harnesses run at once (default: the cores)
#   FUZZ_BUILD_DIR=folder           another build folder than build-fuzz
#   FUZZ_KEEP_GOING=1               a harness goes on after a finding (libFuzzer's
#                                   fork mode) and keeps every finding
#
# A finding is replayed with its harness and the file, e.g.
#   ASAN_OPTIONS=fast_unwind_on_malloc=0 build-fuzz/tests/fuzz/fuzz_simstate FILE
# A harness run by hand writes what it finds into its first corpus folder:
# name one in build-fuzz/ first, never tests/fuzz/corpus/ alone.
#
# Findings (crash-*, leak-*, timeout-*, oom-*), grown corpora and logs stay in
# build-fuzz/runs/<harness>/; the seed corpora in the tree are only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=${FUZZ_BUILD_DIR:-build-fuzz}

cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ]; then
  echo "fuzz: clang++ is not installed (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" -DQUEMBREL_FUZZ=ON -DQUEMBREL_TESTS=OFF \
      -DQUEMBREL_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzz_harnesses -j "$(nproc 2>/dev/null || echo 2)"

harnesses=()
for src in tests/fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  name=${name#fuzz_}
  if [ -n "${FUZZ_ONLY:-}" ] && [[ " $FUZZ_ONLY " != *" $name "* ]]; then
    continue
  fi
  harnesses+=("$name")
done

symbolizer=$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | head -n1 || true)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0${symbolizer:+:external_symbolizer_path=$symbolizer}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

run_one() {
  local name=$1 out=$build/runs/$1
  local mode=()
  [ -n "${FUZZ_KEEP_GOING:-}" ] && mode=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
  # A harness's dictionary (tests/fuzz/<name>.dict) gives the mutator its words.
  [ -f "tests/fuzz/$name.dict" ] && mode+=(-dict="tests/fuzz/$name.dict")
  # The files a harness writes for its parser go to memory where the system
  # offers it (/dev/shm), else under the run's folder.
  local scratch=$out/tmp
  [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm/quembrel-fuzz-$$-$name
  rm -rf "$out/findings" "$scratch"
  mkdir -p "$out/corpus" "$out/findings" "$scratch"
  # New inputs go to the first corpus folder, never to the seeds in the tree.
  # A harness that hangs outside any one input is stopped as well.
  local rc=0
  TMPDIR=$(cd "$scratch" && pwd) timeout -k 10 $((seconds + 120)) \
    "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 "${mode[@]}" -artifact_prefix="$out/findings/" "$out/corpus" "tests/fuzz/corpus/$name" \
    >"$out/log" 2>&1 || rc=$?
  rm -rf "$scratch"
  return "$rc"
}

parallel=${FUZZ_PARALLEL:-$(nproc 2>/dev/null || echo 2)}
running=0
for name in "${harnesses[@]}"; do
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  ( rc=0; run_one "$name" || rc=$?; echo "$rc" >"$build/runs/$name.rc" ) &
  running=$((running + 1))
done
wait

failed=0
printf '%-16s %12s %8s %8s  %s\n' harness executions cov ft result
for name in "${harnesses[@]}"; do
  log=$build/runs/$name/log
  rc=$(cat "$build/runs/$name.rc" 2>/dev/null || echo 1)
  # Single process: the final statistics; fork mode: the last status line.
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  [ -z "$execs" ] && execs=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' "$log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2)
  findings=$(find "$build/runs/$name/findings" -type f | wc -l)
  if [ "$rc" = 0 ] && [ "$findings" = 0 ]; then
    result=ok
  else
    failed=1
    first=$(grep -m1 -E '^SUMMARY|ERROR: |runtime error|fuzz property failed' "$log" || echo "exit code $rc")
    result="FINDING ($findings file(s) in $build/runs/$name/findings): $first"
  fi
  printf '%-16s %12s %8s %8s  %s\n' "$name" "${execs:--}" "${cov:--}" "${ft:--}" "$result"
done
if [ "$failed" != 0 ]; then
  echo "fuzz: a harness found a fault; its log is $build/runs/<harness>/log" >&2
fi
exit "$failed"
