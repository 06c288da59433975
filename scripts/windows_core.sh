#!/usr/bin/env bash
# Compiles the core modules that need no third-party library for Windows
# (MinGW-w64, posix thread model: the win32 one of GCC 12 has no std::mutex),
# so that the core stays buildable there. Compiles only; nothing is linked.
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=${WPE_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

sources=()
for module in util xml skin webpart catalogue shell; do
  for f in src/core/$module/*.cpp; do
    # The web part archive and the skin package are made with libzip, which
    # is not part of this check.
    [[ $f == src/core/webpart/Archive.cpp || $f == src/core/skin/SkinPackage.cpp ]] && continue
    sources+=("$f")
  done
done

echo "Compiling ${#sources[@]} core sources for Windows with $cxx"
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -I{} sh -c '"$0" -std=c++20 -Wall -Wextra -Wno-unused-parameter \
      -Isrc/core -c "$1" -o "$2/$(echo "$1" | tr / _).o" || { echo "FAILED: $1" >&2; exit 255; }' "$cxx" {} "$out"
echo "Windows core check: ${#sources[@]} sources compiled"
