#!/usr/bin/env bash
# A minified script in the real program under Xvfb: it opens cut into short
# lines, typing and deleting at both ends leaves the file's bytes, and a
# character typed at the start is saved with the rest of the one line intact.
# Usage: test_minified.sh path/to/mossglen
set -euo pipefail
program="$(readlink -f "$1")"
here="$(cd "$(dirname "$0")" && pwd)"

if [ -z "${DISPLAY:-}" ] || [ -z "${MOSSGLEN_E2E_INNER:-}" ]; then
    export MOSSGLEN_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi
source "$here/lib.sh"

work="$(mktemp -d)"
trap 'show_log_on_failure; stop_program; rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"

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
wait_program_gone
echo "e2e minified: passed"
