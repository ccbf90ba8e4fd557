#!/usr/bin/env bash
# Kills the real program (SIGKILL) while text is being typed into a large
# document, starts it again and checks that the recovery dialog brings the
# document back with everything up to the last recovery copy; then that a
# normal exit leaves no copies behind. Usage: test_crash_recovery.sh path/to/mossglen
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$0" "$@"
recovery="$XDG_DATA_HOME/Velmora/Mossglen/recovery"

# About 5 MB of markup, plain ASCII.
awk 'BEGIN { for (i = 0; i < 60000; i++) printf "<div class=\"row\"><p>line %d of a large page</p></div>\n", i }' \
    > "$work/big.html"
cp "$work/big.html" "$work/original.html"

copies() { find "$recovery" -name '*.journal' 2>/dev/null | wc -l; }
has_copy() { [ "$(copies)" -ge 1 ]; }
no_copy() { [ "$(copies)" -eq 0 ]; }
copy_newer_than() { [ -n "$(find "$recovery" -name '*.journal' -newer "$1" 2>/dev/null)" ]; }

start_program "$program" "$work/big.html"

first="typed before the crash "
second="typed while it was killed"
xdotool type --delay 30 "$first"
touch "$work/after-first"
# The copy is written about two seconds after the last key.
wait_until 30 copy_newer_than "$work/after-first"

# Keys are still coming when the program is killed.
xdotool type --delay 60 "$second" &
typist=$!
sleep 0.6
kill -KILL "$program_pid"
wait "$program_pid" 2>/dev/null || true
wait "$typist" 2>/dev/null || true
program_pid=""
has_copy
cmp "$work/big.html" "$work/original.html"   # the file itself was never saved

# Start again: the dialog lists the document; Return restores it (the
# default button), and Save writes what was restored.
# The recovery dialog comes up right after the main window, so the window is
# looked for among the visible ones and focused only through the dialog.
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
find_recovery_dialog() {
    dialog_id="$(xdotool search --onlyvisible --name '^Recover unsaved changes' 2>/dev/null | head -n 1)"
    [ -n "$dialog_id" ]
}
wait_until 60 find_recovery_dialog
wait_until 10 focus_window "$dialog_id"
xdotool key Return
dialog_gone() { ! xdotool search --onlyvisible --name '^Recover unsaved changes' >/dev/null 2>&1; }
wait_until 15 dialog_gone
wait_until 10 find_main_window
wait_until 10 focus_window "$window_id"
xdotool key ctrl+s

saved_as_expected() {
    # The first burst, then any part of the second (the keys after the last
    # copy are lost), then the untouched page.
    python3 - "$work/big.html" "$work/original.html" "$first" "$second" <<'EOF'
import sys
got = open(sys.argv[1], 'rb').read()
original = open(sys.argv[2], 'rb').read()
first, second = sys.argv[3].encode(), sys.argv[4].encode()
if not got.startswith(first) or not got.endswith(original):
    sys.exit(1)
middle = got[len(first):len(got) - len(original)]
sys.exit(0 if second.startswith(middle) else 1)
EOF
}
if ! wait_until 30 saved_as_expected; then
    echo "restored text is not what was typed before the last copy:"
    head -c 200 "$work/big.html"; echo
    exit 1
fi
# Saved: its copy is gone, and so are the killed program's files.
wait_until 15 no_copy

exit_program
leftovers="$(find "$recovery" -type f 2>/dev/null | wc -l || true)"
if [ "$leftovers" -ne 0 ]; then
    echo "files left in the recovery folder after a normal exit:"; ls -la "$recovery"
    exit 1
fi
echo "e2e crash recovery: passed"
