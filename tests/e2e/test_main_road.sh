#!/usr/bin/env bash
# The main road of a document, driven through the real program under Xvfb:
# open from the command line after another file, type with vi off and on,
# expand Zen-Coding, complete a tag, find the word at the cursor, save in each
# of the five encodings, close with the question, and compare the bytes on
# disk; the other file is never touched.
# Usage: test_main_road.sh path/to/mossglen
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$0" "$@"
page="$work/page.html"
printf '<meta charset="utf-8">\n<p>moss</p>\n<p>glen moss \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e</p>\n' > "$page"
printf '<p>first</p>\n' > "$work/other.html"

start_program "$program" "$work/other.html" "$page"
refocus() { xdotool windowfocus --sync "$window_id"; }

# Typing with vi off, then a Zen-Coding abbreviation.
xdotool key ctrl+End
xdotool type --delay 15 '<p>hello</p>'
xdotool key Return
xdotool type --delay 15 'ul>li*2'
xdotool key ctrl+comma

# Tag completion through the popup.
xdotool key ctrl+End Return
xdotool type --delay 15 '<di'
keys_opening_popup ctrl+l
xdotool key Return
refocus

# vi on: Escape enters command mode, x deletes, A appends; then vi off again.
keys_opening_popup alt+o
xdotool key v
xdotool key Escape x A
xdotool type --delay 15 'g>'
keys_opening_popup alt+o
xdotool key v

# Find the word at the cursor ("moss" on line 2) and overwrite the next match.
xdotool key ctrl+Home Down Home Right Right Right Right ctrl+F3
xdotool type --delay 15 'fern'
xdotool key F3

xdotool key ctrl+s
expected="$work/expected.txt"
printf '<meta charset="utf-8">\n<p>moss</p>\n<p>glen fern \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e</p>\n<p>hello</p>\n<ul>\n\t<li></li>\n\t<li></li>\n</ul>\n<dialog>' > "$expected"
wait_for_bytes "$page" "$expected"

# Each encoding from the File menu's encoding submenu, then Save. Where the
# page's charset declaration names another encoding, the offer to rewrite it
# is answered No, so that the bytes are the page's in that encoding.
save_as_encoding() {  # save_as_encoding POSITION-IN-SUBMENU ICONV-NAME BOM-HEX [asks]
    local downs=""
    for ((i = 0; i < $1; ++i)); do downs+=" Down"; done
    refocus
    keys_opening_popup alt+f
    keys_opening_popup Down Down Down Down Right
    # shellcheck disable=SC2086
    xdotool key $downs Return
    if [ "${4:-}" = asks ]; then
        keys_opening_popup ctrl+s
        xdotool key alt+n
    else
        xdotool key ctrl+s
    fi
    { printf "$3"; iconv -f UTF-8 -t "$2" "$expected"; } > "$work/expected.$2"
    wait_for_bytes "$page" "$work/expected.$2"
}
save_as_encoding 1 UTF-16LE '\xff\xfe'
save_as_encoding 2 UTF-16BE '\xfe\xff'
save_as_encoding 3 SHIFT_JIS '' asks
save_as_encoding 4 EUC-JP '' asks
save_as_encoding 0 UTF-8 ''

# A change, the close question answered with Cancel (Escape): the document
# stays; undo it, and the program then exits without asking.
refocus
xdotool type --delay 15 'q'
keys_opening_popup ctrl+w
xdotool key Escape
refocus
kill -0 "$program_pid"
xdotool key ctrl+z
exit_program
cmp "$page" "$expected"
cmp "$work/other.html" <(printf '<p>first</p>\n')
echo "e2e main road: passed"
