#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running the demo need.
# (xvfb and x11-apps' xwd: the screen test that grabs a real X server from outside;
# chromium and chromium-driver: the test that opens the teachers' web pages in a browser;
# valgrind and linux-perf: profiling the benchmarks, e.g. valgrind --tool=callgrind.)
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
PKGS=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6 libqt6printsupport6
  qt6-svg-dev qt6-httpserver-dev libqt6httpserver6 qt6-websockets-dev
  libgl-dev libxkbcommon-dev
  libicu-dev libsdl2-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  python3 xvfb xauth clang-format x11-apps
  poppler-utils
  qt6-translations-l10n
  chromium chromium-driver
  valgrind linux-perf
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
