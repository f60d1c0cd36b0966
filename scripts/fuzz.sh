#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz and runs each for a bounded time, starting from the seeds in fuzz/corpus.
# Exits non-zero when a target finds an input that crashes it or breaks one of its
# checks; the input is kept in build-fuzz/findings/.
#   KZ_FUZZ_SECONDS   seconds per target (default 20; longer runs by hand)
#   KZ_FUZZ_TARGETS   targets to run (default: all), e.g. "roster results"
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
seconds="${KZ_FUZZ_SECONDS:-20}"
targets="${KZ_FUZZ_TARGETS:-textio roster criteria soundtable results installation answerlog}"
jobs=$(nproc 2>/dev/null || echo 2)

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_FUZZ=ON -DKZ_BENCHMARKS=OFF \
  -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$jobs" --target kz_fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
# The targets write their inputs to scratch files; memory-backed ones keep that quick.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
mkdir -p build-fuzz/findings
failed=()
for t in $targets; do
  # New inputs go to the build folder; the seeds in the repository stay as committed.
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_$t (${seconds}s)"
  if ! build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=0 -artifact_prefix="build-fuzz/findings/$t-" "$work" "fuzz/corpus/$t" \
        >"build-fuzz/fuzz_$t.log" 2>&1; then
    failed+=("$t")
    tail -n 40 "build-fuzz/fuzz_$t.log"
  else
    grep -E '^Done [0-9]+ runs' "build-fuzz/fuzz_$t.log" || true
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
echo "fuzzing: no findings"
