#!/usr/bin/env bash
# Builds every configuration and runs every test: the native core suite
# (ASan/UBSan), the Windows suite under Wine, and a short fuzzing run.
# Exits non-zero when anything fails.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/install-deps.sh

jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

step "native: configure, build, test"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "native: the suite again under valgrind"
tests/native/valgrind.sh

step "win32: the product"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
echo "parvolin.exe (PE32): $(stat -c %s build/win32/parvolin.exe) bytes"

step "win64: the twin and the Windows tests under Wine"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$jobs"
tests/wine/session.sh ctest --preset win64

if [ -x tests/fuzz/run.sh ]; then
    step "fuzz: a short run over the trailer and the survey"
    tests/fuzz/run.sh
fi

step "all tests passed"
