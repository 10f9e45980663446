#!/usr/bin/env bash
# Runs a command in the Japanese locale ja_JP.UTF-8, from which Wine takes
# the ANSI code page 932. Makes the locale when it is missing (as root, with
# the Debian package locales); exits 77 (skipped) when it cannot.
#   double-byte.sh COMMAND...
set -uo pipefail

locale_name=ja_JP.UTF-8
has_locale() {
    locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}
if ! has_locale; then
    if [ "$(id -u)" != 0 ]; then
        echo "skipped: the locale $locale_name is missing and making it needs root"
        exit 77
    fi
    if ! command -v localedef >/dev/null || [ ! -e /usr/share/i18n/locales/ja_JP ]; then
        echo "skipped: the locale $locale_name is missing and localedef or its ja_JP source (package locales) is not here"
        exit 77
    fi
    if ! localedef -i ja_JP -f UTF-8 "$locale_name" || ! has_locale; then
        echo "skipped: localedef could not make the locale $locale_name"
        exit 77
    fi
fi
LANG=$locale_name LC_ALL=$locale_name exec "$@"
