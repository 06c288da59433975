#!/usr/bin/env bash
# run_fuzz.sh <fuzzer> <seconds> <source dir> <shared corpus dir>
# Seeds a fresh corpus from the project's test data and the shared corpus
# (copied at run time, never committed), then fuzzes for the given time.
#
# For long runs by hand:
#   WPE_FUZZ_RUNS=N  also stop after N executions (whichever comes first)
#   WPE_FUZZ_WORK=D  keep corpus, log and findings in folder D; a later run
#                    with the same D goes on from the corpus it left
#   WPE_FUZZ_SEED=N  libFuzzer's random seed (1 unless given, so two runs on
#                    the same corpus try the same inputs first)
#   WPE_FUZZ_TIMEOUT=S  seconds one input may take before it counts as slow (30)
#   WPE_FUZZ_SLOW_OK=1  a slow input is saved and reported but does not fail
#                    the run (crashes, leaks and memory blow-ups still do)
# The last line printed sums the run up for a note.
set -euo pipefail
fuzzer=$1 seconds=$2 src=$3 shared=$4
name=$(basename "$fuzzer")
if [[ -n "${WPE_FUZZ_WORK:-}" ]]; then
  work=$WPE_FUZZ_WORK
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/artifacts"

seed() {
  if [[ -d "$1" ]]; then
    find "$1" -type f -size -256k -print0 | xargs -0 -r cp -t "$work/corpus" --backup=numbered 2>/dev/null || true
  fi
}
if [[ ! -d "$work/corpus" ]]; then
  mkdir -p "$work/corpus"
  case "$name" in
    fuzz_tagparser) seed "$src/tests/data"; seed "$shared/html" ;;
    fuzz_tidy|fuzz_skingen) seed "$src/data"; seed "$shared/html" ;;
    fuzz_category)  seed "$src/tests/data/catalogue"; seed "$src/data"; seed "$src/tests/data/webparts" ;;
    *)              seed "$src/tests/data"; seed "$shared/xml"; seed "$shared/rss" ;;
  esac
  find "$work/corpus" \( -name '*.png' -o -name '*.jpg' -o -name '*.gif' -o -name '*.woff*' -o -name '*.ttf' -o -name '*.eot' \) \
    -exec rm -f {} +
fi
inputs_at_start=$(find "$work/corpus" -type f | wc -l)

# Some targets write a file per input; a memory file system keeps that cheap.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi

runs=()
[[ -n "${WPE_FUZZ_RUNS:-}" ]] && runs=(-runs="$WPE_FUZZ_RUNS")
status=0
"$fuzzer" -max_total_time="$seconds" "${runs[@]}" -seed="${WPE_FUZZ_SEED:-1}" \
  -timeout="${WPE_FUZZ_TIMEOUT:-30}" -timeout_exitcode=75 -rss_limit_mb=2048 -max_len=65536 \
  -dict="$src/fuzz/markup.dict" -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
  "$work/corpus" >"$work/log" 2>&1 || status=$?
tail -n 40 "$work/log"
findings=$(find "$work/artifacts" -type f | wc -l)
if (( findings > 0 )); then
  mkdir -p "$src/build-fuzz-findings"
  cp "$work/artifacts/"* "$src/build-fuzz-findings/" || true
  echo "Findings copied to $src/build-fuzz-findings/"
fi

if (( status == 75 )) && [[ "${WPE_FUZZ_SLOW_OK:-}" == 1 ]]; then
  echo "An input ran past ${WPE_FUZZ_TIMEOUT:-30} s; it is kept with the findings, but a slow input on a busy machine fails nothing here."
  status=0
fi

# Starting cov/ft is taken once the seeds are loaded (the INITED line; a run
# that fails while loading them has none, so the first progress line stands
# in), the end from the last progress line, counts from the final stats. The
# corpus size is libFuzzer's own count: the folder also keeps inputs that
# later ones replaced.
progress() { grep -E '^#[0-9]+.*cov: [0-9]+ ft: [0-9]+' "$work/log" | "$1" -n 1; }
at_start() { grep -E '^#[0-9]+[[:space:]]+INITED.*cov: ' "$work/log" | head -n 1 | grep . || progress head; }
covft() { $1 | sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+).*/\1 \/ \2/'; }
stat() { sed -nE "s/^stat::$1: *([0-9]+).*/\1/p" "$work/log" | tail -n 1; }
echo "summary: $name executions=$(stat number_of_executed_units) per_second=$(stat average_exec_per_sec)" \
  "seeds=$inputs_at_start cov/ft start=$(covft at_start) end=$(covft "progress tail")" \
  "corpus=$(progress tail | sed -E 's/.*corp: ([0-9]+)\/([0-9]+[a-zA-Z]*).*/\1 inputs, \2/')" \
  "peak_rss_mb=$(stat peak_rss_mb) findings=$findings exit=$status"
exit "$status"
