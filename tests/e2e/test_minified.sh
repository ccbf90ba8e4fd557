#!/usr/bin/env bash
# A minified script in the real program under Xvfb: it opens cut into short
# lines, typing and deleting at both ends leaves the file's bytes, and a
# character typed at the start is saved with the rest of the one line intact.
# Usage: test_minified.sh path/to/mossglen
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
e2e_setup "$0" "$@"

original="$here/../data/minified/site.min.js"
cp "$original" "$work/site.min.js"
[ "$(wc -l < "$original")" -eq 0 ]   # one line without a line end

start_program "$program" "$work/site.min.js"
before="$(stat -c %y "$work/site.min.js")"

# Type and take back at the end and at the start, then save: same bytes.
xdotool key ctrl+End
xdotool type --delay 20 "x;"
xdotool key BackSpace BackSpace ctrl+Home
xdotool type --delay 20 "y"
xdotool key BackSpace ctrl+s
wait_until 10 bash -c '[ "$(stat -c %y "$1")" != "$2" ]' _ "$work/site.min.js" "$before"
cmp "$work/site.min.js" "$original"

# One character at the start: the rest is the original line, unbroken.
xdotool type --delay 20 "z"
xdotool key ctrl+s
wait_for_bytes "$work/site.min.js" <(printf 'z'; cat "$original")

exit_program
echo "e2e minified: passed"
