#!/bin/sh
# Brings translations/*.ts up to date with the texts in the sources: a new text appears
# unfinished, for a translator to finish; a text no source has any more goes.
#   scripts/update-translations.sh           updates the files in translations/
#   scripts/update-translations.sh --check   changes nothing; fails when a file is not
#                                            current, when the German one has an
#                                            unfinished entry, or when an English plural
#                                            lacks its forms (what CI runs, through ctest)
# English translates nothing but the plural forms ("%Ln file(s)": "1 file", "2 files").
set -eu
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-$(command -v lupdate6 || command -v /usr/lib/qt6/bin/lupdate || echo lupdate)}
# The folders TarvelCore/CMakeLists.txt gives qt_add_translations, with its options.
sources="TarvelCore TarvelApp TarvelDemo DesktopSession USBDiagnosis"

update() {
    # shellcheck disable=SC2086
    "$lupdate" -silent -no-obsolete -locations none -extensions cpp,h,qml -I . $sources \
        -ts "$1/tarvel_de.ts" "$1/tarvel_en.ts"
}

case "${1:-}" in
"")
    update translations
    ;;
--check)
    copy=$(mktemp -d)
    trap 'rm -rf "$copy"' EXIT
    cp translations/*.ts "$copy/"
    update "$copy"
    status=0
    for file in tarvel_de.ts tarvel_en.ts; do
        if ! cmp -s "translations/$file" "$copy/$file"; then
            echo "translations/$file is not current: run scripts/update-translations.sh" >&2
            diff -u "translations/$file" "$copy/$file" | head -40 >&2
            status=1
        fi
    done
    unfinished=$(grep -c 'type="unfinished"' translations/tarvel_de.ts || true)
    if [ "$unfinished" != 0 ]; then
        echo "translations/tarvel_de.ts has $unfinished unfinished entries" >&2
        status=1
    fi
    # An English plural left unfinished would show "1 file(s)".
    plurals=$(awk '/<message numerus="yes">/ { numerus = 1 } numerus && /type="unfinished"/ { n++ }
                   /<\/message>/ { numerus = 0 } END { print n + 0 }' translations/tarvel_en.ts)
    if [ "$plurals" != 0 ]; then
        echo "translations/tarvel_en.ts has $plurals plural texts without their English forms" >&2
        status=1
    fi
    [ $status = 0 ] && echo "translations: current, German complete"
    exit $status
    ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac
