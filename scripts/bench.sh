#!/usr/bin/env bash
# Runs every benchmark program that the build made, with the built program
# folder as their home (the dice benchmark loads the plug-ins from there).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
export YARROW_HOME="$build/bin"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in "$build"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
