#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine in the project's own prefix,
# making the prefix on first use. Needs the display and server that
# tests/wine/session.sh provides.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(cd "$here/../.." && pwd)/build/wine-prefix}
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

if [ -z "${DISPLAY:-}" ]; then
    echo "run-wine.sh: no display; run the Wine tests through tests/wine/session.sh" >&2
    exit 1
fi

mkdir -p "$(dirname "$WINEPREFIX")"
{
    flock 9
    if [ ! -f "$WINEPREFIX/.parvolin-ready" ]; then
        "$wine" wineboot -i >"$WINEPREFIX.log" 2>&1 || true
        # No window manager here: Wine draws its own frames, and hidden
        # windows are not handed to one.
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n"Managed"="N"\n' \
            >"$WINEPREFIX/x11.reg"
        "$wine" regedit "$WINEPREFIX/x11.reg" >>"$WINEPREFIX.log" 2>&1
        touch "$WINEPREFIX/.parvolin-ready"
    fi
} 9>"$WINEPREFIX.lock"

exec "$wine" "$@"
