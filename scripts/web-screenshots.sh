#!/usr/bin/env bash
# Pictures of every teachers' web page (kazurin2-admin serve) in a tablet-sized (820 × 1180)
# and a desktop-sized (1366 × 900) window of a headless Chromium, on a fresh demo school
# with a few attempts recorded today, into build/web-screenshots/<page>-<window>.png.
#   BUILD_DIR=...   another build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
bash scripts/install-deps.sh
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target kazurin2-admin kz_webstation
QT_QPA_PLATFORM=offscreen python3 tests/web/browser_test.py \
  --admin "$build/src/kazurin2-admin" --station "$build/tests/kz_webstation" \
  --source-dir "$PWD" --work-dir "$build/web-screenshots-school" \
  --screenshots "$PWD/$build/web-screenshots"
