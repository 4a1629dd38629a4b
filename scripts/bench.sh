#!/usr/bin/env bash
# Runs every benchmark program that the build made.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
