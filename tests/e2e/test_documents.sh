#!/usr/bin/env bash
# Drives the real program under Xvfb as a person would: start with two files,
# type, save, choose another encoding from the menu, save again, and compare
# the bytes on disk. Usage: test_documents.sh path/to/mossglen
set -euo pipefail
program="$(readlink -f "$1")"
here="$(cd "$(dirname "$0")" && pwd)"

source "$here/lib.sh"
rerun_under_xvfb "$0" "$@"
make_work_home

printf '<p>first</p>\n' > "$work/a.html"
printf '\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x96\x87\xe7\xab\xa0\n' > "$work/b.html"   # 日本語の文章

start_program "$program" "$work/a.html" "$work/b.html"

# b.html is current, its cursor at the start.
xdotool type --delay 20 "abc"
xdotool key ctrl+s
expected_utf8="$(printf 'abc\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x96\x87\xe7\xab\xa0\n')"
wait_for_bytes "$work/b.html" <(printf '%s\n' "$expected_utf8")

# File > (fifth entry) encoding submenu > SJIS (fourth entry), then save.
keys_opening_popup alt+f
keys_opening_popup Down Down Down Down Right
xdotool key Down Down Down Return
xdotool key ctrl+s
wait_for_bytes "$work/b.html" <(printf '%s\n' "$expected_utf8" | iconv -f UTF-8 -t SHIFT_JIS)

# The other document was never touched.
cmp "$work/a.html" <(printf '<p>first</p>\n')

exit_program
wait_program_gone
echo "e2e documents: passed"
