#!/usr/bin/env bash
# Builds the product (PE32) and its x86_64 twin, then runs the twin under
# 64-bit Wine as parvolin.exe, in split mode, from a scratch folder.
# Without a display it runs on a virtual one and saves a screenshot.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/install-deps.sh
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
done
echo "product: build/win32/parvolin.exe ($(stat -c %s build/win32/parvolin.exe) bytes)"

work=build/run
mkdir -p "$work"
cp build/win64/parvolin.exe "$work/parvolin.exe"
if [ -n "${DISPLAY:-}" ]; then
    runner=$PWD/tests/wine/run-wine.sh
    cd "$work" && exec "$runner" parvolin.exe
fi
echo "no display: running on a virtual one for 10 seconds, screenshot in $work/screenshot.png"
tests/wine/session.sh bash -c "cd '$work' && { ../../tests/wine/run-wine.sh parvolin.exe >/dev/null 2>&1 & } && sleep 10 && import -window root screenshot.png"
