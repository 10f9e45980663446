#!/usr/bin/env bash
# Runs a command with a virtual display and the project's Wine server, and
# ends both afterwards: tests/wine/session.sh ctest --preset win64
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(cd "$here/../.." && pwd)/build/wine-prefix}

if [ -z "${PARVOLIN_IN_XVFB:-}" ]; then
    PARVOLIN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
/usr/lib/wine/wineserver64 -k 2>/dev/null
# One persistent server for the whole session, its helper processes started
# by a first program whose output goes to the log: a helper that inherited
# a caller's pipe would hold it open long after its test has ended.
"$here/run-wine.sh" cmd /c exit >/dev/null 2>&1
/usr/lib/wine/wineserver64 -k 2>/dev/null
/usr/lib/wine/wineserver64 -p
"$here/run-wine.sh" cmd /c exit >>"$WINEPREFIX.log" 2>&1
"$@"
status=$?
/usr/lib/wine/wineserver64 -k 2>/dev/null
exit $status
