#!/usr/bin/env bash
# run_fuzz.sh <fuzzer> <seconds> <source dir> <shared corpus dir>
# Seeds a fresh corpus from the project's test data and the shared corpus
# (copied at run time, never committed), then fuzzes for the given time.
set -euo pipefail
fuzzer=$1 seconds=$2 src=$3 shared=$4
name=$(basename "$fuzzer")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"

seed() { [[ -d "$1" ]] && find "$1" -type f -size -256k -print0 | xargs -0 -r cp -t "$work/corpus" --backup=numbered 2>/dev/null || true; }
case "$name" in
  fuzz_tagparser) seed "$src/tests/data"; seed "$shared/html" ;;
  fuzz_category)  seed "$src/tests/data/catalogue"; seed "$src/data"; seed "$src/tests/data/webparts" ;;
  *)              seed "$src/tests/data"; seed "$shared/xml"; seed "$shared/rss" ;;
esac
find "$work/corpus" -name '*.png' -o -name '*.jpg' -o -name '*.gif' -o -name '*.woff*' -o -name '*.ttf' -o -name '*.eot' | xargs -r rm -f

# Some targets write a file per input; a memory file system keeps that cheap.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi

status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$src/fuzz/markup.dict" -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
  "$work/corpus" >"$work/log" 2>&1 || status=$?
tail -n 40 "$work/log"
if ls "$work/artifacts/"* >/dev/null 2>&1; then
  mkdir -p "$src/build-fuzz-findings"
  cp "$work/artifacts/"* "$src/build-fuzz-findings/" || true
  echo "Findings copied to $src/build-fuzz-findings/"
fi
exit "$status"
