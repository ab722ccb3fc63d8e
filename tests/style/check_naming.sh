#!/usr/bin/env bash
# Checks the naming rule of .clang-tidy over the program's and the benchmarks' sources, as
# the build compiles them (its compile_commands.json). Exits 77, counted as skipped, where
# clang-tidy is not installed.
#
#   check_naming.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
tidy=$(command -v clang-tidy || true)
if [ -z "$tidy" ]; then
    echo "clang-tidy is not installed: the naming rule is not checked"
    exit 77
fi
# Only the files this build compiles (benchmarks may be switched off); generated files aside.
# A violation fails its clang-tidy, so xargs and with it the script end with a failure.
grep -o '"file": "[^"]*"' "$build/compile_commands.json" | cut -d'"' -f4 |
    grep -E "^$src/(src|bench)/" | sort -u |
    xargs -r -P 2 -n 4 "$tidy" -p "$build" --quiet 2>&1 |
    sed -E '/^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$/d'
