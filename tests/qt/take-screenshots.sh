#!/usr/bin/env bash
# Builds the native preset's screenshot tool and saves a picture of each Qt
# dialog into docs/ (qt-split-dialog.png, qt-join-dialog.png), on a virtual
# X display.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/../.."
cmake --preset native >/dev/null
cmake --build --preset native --target parvolin_qt_screenshots -j"$(nproc)"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    build/native/tests/qt/parvolin_qt_screenshots docs
