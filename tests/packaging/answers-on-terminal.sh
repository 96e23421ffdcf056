#!/bin/sh
# PROGRAM --help and --version on a terminal with no display at all (no X11, no Wayland,
# no platform chosen) must answer with status 0 and their text, opening no window; in
# German, Qt's words and the program's own, for a user whose language is German.
# Usage: answers-on-terminal.sh PROGRAM VERSION-LINE
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LC_ALL LC_MESSAGES
export LANG=C.UTF-8
for check in "en:--help:Usage: $1 [options]" "en:--version:$2" "de:--help:Aufruf: $1 [Optionen]" "de:--help:Telefon"; do
    language=${check%%:*}
    check=${check#*:}
    output=$(LANGUAGE=$language timeout 20 "$1" "${check%%:*}" 2>&1) && printf '%s\n' "$output" | grep -qF -- "${check#*:}" ||
        { echo "LANGUAGE=$language $1 ${check%%:*} (exit $?) did not answer \"${check#*:}\":" >&2; printf '%s\n' "$output" >&2; exit 1; }
done
