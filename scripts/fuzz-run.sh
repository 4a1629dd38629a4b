#!/usr/bin/env bash
# Runs every libFuzzer target of BUILD (default build-fuzz) for SECONDS seconds
# each (default 600), one at a time at the lowest priority, starting from its
# seed corpus in fuzz/corpus/<target>/ and its dictionary fuzz/<target>.dict
# when there is one. New inputs go to BUILD/corpus/<target>/, inputs that
# fail to BUILD/artifacts/<target>/, the output to BUILD/logs/<target>.log.
# Prints executions and findings per target; fails when any target failed.
# Name targets after the seconds to run only those.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-600}
shift 2 2>/dev/null || shift $#
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for bin in "$build"/fuzz/fuzz_*; do
        [ -x "$bin" ] && targets+=("$(basename "$bin")")
    done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build/fuzz (run make fuzz)"; exit 1; }

failed=0
for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t" "$build/artifacts/$t" "$build/logs"
    args=(-max_total_time="$seconds" -print_final_stats=1 -timeout=60 -rss_limit_mb=2048
          -artifact_prefix="$build/artifacts/$t/")
    [ -f "fuzz/$t.dict" ] && args+=(-dict="fuzz/$t.dict")
    log="$build/logs/$t.log"
    nice -n 19 "$build/fuzz/$t" "${args[@]}" "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1
    status=$?
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    # Slow units are only noted; crashes, leaks, time-outs and memory blow-ups count.
    findings=$(find "$build/artifacts/$t" -type f ! -name 'slow-unit-*' | wc -l)
    printf '%-20s %12s executions  %s findings  exit %s\n' "$t" "${execs:-?}" "$findings" "$status"
    [ "$status" -eq 0 ] && [ "$findings" -eq 0 ] || failed=1
done
exit $failed
