#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: a
# compile of the core for Windows, the normal build (core, program, tests,
# benchmarks), a sanitizer build of the core, the program and their tests
# (the widget tests run offscreen), and the fuzz targets' regression inputs
# and short fuzz runs. One CTest summary at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so another clone of the project reuses the cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
jobs=$(nproc)

# The core must keep building for Windows; this compiles it there (no link).
scripts/windows_core.sh

cmake -S . -B build-asan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DWPE_SANITIZE=ON -DWPE_BUILD_APP=ON -DWPE_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"

extra="$PWD/build-asan"
if [[ -f fuzz/CMakeLists.txt ]]; then
  cmake -S . -B build-fuzz -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DWPE_FUZZ=ON -DWPE_BUILD_APP=OFF -DWPE_BUILD_BENCH=OFF -DWPE_BUILD_TESTS=OFF
  cmake --build build-fuzz -j "$jobs"
  extra="$extra;$PWD/build-fuzz"
fi

cmake -S . -B build -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DWPE_EXTRA_TEST_DIRS=$extra"
cmake --build build -j "$jobs"

# The tests find their files through these (discovered tests do not carry a
# list of variables reliably, so they come from the environment).
export WPE_TEST_DATA="$PWD/tests/data" WPE_DATA_DIR="$PWD/data"
export WPE_CORPUS_DIR="${WPE_CORPUS_DIR:-$(cd .. && pwd)/shared/corpus}"
export ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/app/lsan.supp"
export UBSAN_OPTIONS="$UBSAN_OPTIONS:suppressions=$PWD/tests/app/ubsan.supp"
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu

ctest --test-dir build --output-on-failure -j "$jobs"
