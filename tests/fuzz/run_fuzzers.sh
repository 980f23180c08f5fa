#!/usr/bin/env bash
# Runs each fuzz target of the fuzz preset: first every committed regression
# input (tests/fuzz/regressions/TARGET/, inputs that once found a fault),
# then a bounded exploration (default 30 s a target, FUZZ_SECONDS to change)
# that starts from the committed corpus (tests/fuzz/corpus/TARGET/), so that
# coverage grows from run to run instead of starting empty. Any crash or
# sanitizer report fails the run; a new finding is kept in
# build/fuzz/findings and printed in base64, with the command that makes it a
# regression input.
#
#   run_fuzzers.sh           replay, then explore
#   run_fuzzers.sh --merge   afterwards: fold what the last exploration
#                            found into the committed corpus, keeping only
#                            inputs that add coverage (then commit it)
#
# The simulated machines live on a tmpfs when there is one, and are removed
# at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build/fuzz"
committed="$top/tests/fuzz"
seconds=${FUZZ_SECONDS:-30}
work="$build/fuzz-run"
targets=(archive_walk_fuzzer archive_append_fuzzer phrase_list_fuzzer restore_fuzzer)

FUZZ_MACHINE_DIR=$(mktemp -d /dev/shm/voz-fuzz.XXXXXX 2>/dev/null || mktemp -d "${TMPDIR:-/tmp}/voz-fuzz.XXXXXX")
export FUZZ_MACHINE_DIR
trap 'rm -rf "$FUZZ_MACHINE_DIR"' EXIT

if [ "${1:-}" = --merge ]; then
  for target in "${targets[@]}"; do
    merged="$work/merged-$target"
    rm -rf "$merged"
    mkdir -p "$merged"
    (cd "$work" && "$build/tests/fuzz/$target" -merge=1 "$merged" "$committed/corpus/$target" "$work/$target" \
       >"$work/$target.merge.log" 2>&1)
    rm -rf "${committed:?}/corpus/$target"
    mv "$merged" "$committed/corpus/$target"
    echo "corpus $target: $(find "$committed/corpus/$target" -type f | wc -l) inputs"
  done
  exit 0
fi

rm -rf "$work"
mkdir -p "$work" "$build/findings"

# One of libFuzzer's final statistics from a run's log.
final_stat() { grep -o "stat::$2: *[0-9]*" "$1" | grep -o '[0-9]*$'; }

# replay TARGET: runs every regression input of TARGET once.
replay() {
  local target=$1 inputs
  inputs=("$committed/regressions/$target"/*)
  [ -e "${inputs[0]}" ] || return 0
  if (cd "$work" && "$build/tests/fuzz/$target" "${inputs[@]}" >"$work/$target.replay.log" 2>&1); then
    echo "fuzz $target: ${#inputs[@]} regression inputs replayed, no finding"
  else
    echo "fuzz $target: a REGRESSION input fails again (see $work/$target.replay.log)"
    tail -n 30 "$work/$target.replay.log"
    return 1
  fi
}

# explore TARGET: fuzzes TARGET for the time given, from the committed corpus.
explore() {
  local target=$1 log="$work/$target.log" finding
  mkdir -p "$work/$target"
  if (cd "$work" && "$build/tests/fuzz/$target" "$work/$target" "$committed/corpus/$target" \
       -max_total_time="$seconds" -artifact_prefix="$build/findings/$target-" -print_final_stats=1 >"$log" 2>&1); then
    echo "fuzz $target: $(final_stat "$log" number_of_executed_units) inputs" \
         "($(final_stat "$log" average_exec_per_sec)/s) from $(find "$committed/corpus/$target" -type f | wc -l)" \
         "committed, $(find "$work/$target" -type f | wc -l) new in the corpus, no finding"
  else
    echo "fuzz $target: FINDING (see $log)"
    tail -n 30 "$log"
    finding=$(grep -o "Test unit written to .*" "$log" | sed 's/^Test unit written to //' | tail -n 1)
    if [ -n "$finding" ] && [ -f "$finding" ]; then
      echo "the input, base64: $(base64 -w0 "$finding")"
      echo "once fixed, keep it: cp '$finding' '$committed/regressions/$target/'"
    fi
    return 1
  fi
}

status=0
for target in "${targets[@]}"; do
  replay "$target" || status=1
  explore "$target" || status=1
done
exit $status
