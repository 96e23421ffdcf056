#!/bin/sh
# PROGRAM --help and --version on a terminal with no display at all (no X11, no Wayland,
# no platform chosen) must answer with status 0 and their text, opening no window.
# Usage: answers-on-terminal.sh PROGRAM VERSION-LINE
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for check in "--help:Usage: $1 [options]" "--version:$2"; do
    output=$(timeout 20 "$1" "${check%%:*}" 2>&1) && printf '%s\n' "$output" | grep -qF -- "${check#*:}" ||
        { echo "$1 ${check%%:*} (exit $?) did not answer \"${check#*:}\":" >&2; printf '%s\n' "$output" >&2; exit 1; }
done
