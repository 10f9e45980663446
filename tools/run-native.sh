#!/usr/bin/env bash
# Builds the native program (Qt 6, the `native` preset) and runs it as
# build/native/parvolin, in split mode, on the current display. The parts
# of a split land beside the chosen file; running a part 0
# (./movie_00.exe) in a folder with its parts brings up the join dialog.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target parvolin -j"$(nproc)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "no display: run this from a desktop session (or under xvfb-run)" >&2
    exit 1
fi
exec build/native/parvolin
