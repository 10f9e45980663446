#!/usr/bin/env bash
# Takes the README's pictures of the two dialogs and a notice from the
# built x86_64 program under Wine and writes them as docs/*.png. Run it
# through the session script after building the win64 preset:
#   tests/wine/session.sh tests/wine/take-screenshots.sh [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/win64}
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}

# Wine's own fonts (Debian's fonts-wine), when installed, give the title
# bars and dialogs their Windows look; Wine finds them in the prefix.
if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi

# The set is staged on the prefix's drive C:, so the pictures show a short
# path such as c:\demo\data\movie.avi.
stage="$WINEPREFIX/drive_c/Demo"
"$here/run-wine.sh" "$build/tests/wine/parvolin_wine_tests.exe" screenshots 'C:\Demo' \
    "$build/parvolin.exe" "$build/parvolin.exe"
mkdir -p "$root/docs"
for name in split-dialog split-notice join-dialog; do
    convert "$stage/$name.bmp" -strip "$root/docs/$name.png"
    echo "wrote docs/$name.png"
done
