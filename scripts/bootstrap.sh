#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine, run as root:
#   bash scripts/bootstrap.sh run    installs what is missing, builds, starts the program
#   bash scripts/bootstrap.sh test   installs what is missing, builds the tests and the fuzz harnesses,
#                                    runs each harness for a moment, then the whole suite
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-run}"

packages=(build-essential cmake ninja-build pkg-config
          qtbase5-dev qtbase5-dev-tools libqt5svg5-dev
          fonts-wqy-microhei)
[ "$mode" = run ] && packages+=(qt5-gtk-platformtheme)
# The fuzz harnesses: clang and its libFuzzer and sanitizer runtimes.
[ "$mode" = test ] && packages+=(clang-14 libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
case "$mode" in
  run)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUEMBREL_TESTS=OFF
    cmake --build build -j "$jobs"
    exec ./build/Quembrel/Quembrel
    ;;
  test)
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUEMBREL_TESTS=ON \
          -DQUEMBREL_SANITIZE=ON -DQUEMBREL_BENCHMARKS=OFF
    cmake --build build-test -j "$jobs"
    # Every harness must still build, take its seeds and survive a few
    # seconds of fuzzing. The suite runs last, so its summary closes the run.
    bash scripts/fuzz.sh 5
    cd build-test
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
