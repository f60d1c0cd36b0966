#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds, and runs every test: once in a
# normal build with warnings as errors, once under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the fuzz targets for a bounded time (scripts/fuzz.sh; KZ_SKIP_FUZZ=1 leaves them out).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

# Every source is formatted with the repository's .clang-format.
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'benchmarks/*.cpp' 'benchmarks/*.h' 'fuzz/*.cpp' 'fuzz/*.h' |
  xargs -0 clang-format --dry-run -Werror

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_WERROR=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

if [ "${KZ_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKZ_WERROR=ON -DKZ_SANITIZE=ON
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ctest --output-on-failure -j"$jobs")
fi

if [ "${KZ_SKIP_FUZZ:-0}" != "1" ]; then
  bash scripts/fuzz.sh
fi
