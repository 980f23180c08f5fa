#!/usr/bin/env bash
# Runs each fuzz target of the fuzz preset for a bounded time (default 30 s,
# FUZZ_SECONDS to change), starting from small well-formed archives and
# phrase lists so that the fuzzer reaches past the headers at once (among
# them entries named after the fuzz machine's files in use). Any crash or
# sanitizer report fails the run; its input is kept in build/fuzz/findings.
# The simulated machines live on a tmpfs when there is one, and are removed
# at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build/fuzz"
seconds=${FUZZ_SECONDS:-30}
work="$build/fuzz-run"
rm -rf "$work"
mkdir -p "$work/seeds" "$build/findings"
FUZZ_MACHINE_DIR=$(mktemp -d /dev/shm/voz-fuzz.XXXXXX 2>/dev/null || mktemp -d "$work/machines.XXXXXX")
export FUZZ_MACHINE_DIR
trap 'rm -rf "$FUZZ_MACHINE_DIR"' EXIT

python3 - "$work/seeds" <<'PY'
import hashlib, os, struct, sys, zlib
seeds = sys.argv[1]
def long_entry(name, content):
    data = zlib.compress(content)
    digest = hashlib.md5(content).hexdigest().upper().encode() + b"\0\0"
    return b"CF" + name.ljust(16, b"\0") + digest + struct.pack("<I", len(data)) + data
def short_entry(name, content):
    data = zlib.compress(content)
    return b"CF" + (name + b"\0").ljust(14, b"\xcc") + struct.pack("<I", len(data)) + data
def archive(layout, entries):
    body = b"".join(entries)
    return b"C" + layout + struct.pack("<II", 10 + len(body), len(entries)) + body
write = lambda name, data: open(os.path.join(seeds, name), "wb").write(data)
write("long", archive(b"0", [long_entry(b"a.txt", b"alpha"), long_entry(b"vorlcyzk.bak", b"\xb0\xa1\xb0\xa2; \xb0\xa3; ")]))
write("short", archive(b"1", [short_entry(b"vobmp8.voh", b"skin"), short_entry(b"vobmpsx1.bmp", b"BM" + bytes(40))]))
write("in-use", archive(b"1", [short_entry(n, b"new") for n in (b"abc", b"abcd", b"morvak4.ime", b"a.txt")]))
write("phrases", b"\xb0\xa1\xb0\xa2; \xb0\xa3; abc; \xb0\xa4\xb0\xa5\xb0\xa6; ")
PY

# One of libFuzzer's final statistics from a run's log.
final_stat() { grep -o "stat::$2: *[0-9]*" "$1" | grep -o '[0-9]*$'; }

status=0
for target in archive_walk_fuzzer archive_append_fuzzer phrase_list_fuzzer restore_fuzzer; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  cp "$work/seeds/"* "$corpus/"
  if (cd "$work" && "$build/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -artifact_prefix="$build/findings/$target-" \
       -print_final_stats=1 >"$work/$target.log" 2>&1); then
    log="$work/$target.log"
    echo "fuzz $target: $(final_stat "$log" number_of_executed_units) inputs" \
         "($(final_stat "$log" average_exec_per_sec)/s), no finding"
  else
    echo "fuzz $target: FINDING (see $work/$target.log and $build/findings)"
    tail -n 30 "$work/$target.log"
    status=1
  fi
done
exit $status
