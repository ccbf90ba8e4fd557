# Helpers for the end-to-end scripts: start the program, wait for windows and
# files by polling with a deadline instead of fixed sleeps.
program_pid=""
window_id=""

# Runs the calling script again under a fresh Xvfb unless it already runs in
# one: rerun_under_xvfb "$0" "$@". The server must not reset when its last
# client goes (a killed program, say): a program started during the reset
# cannot connect.
rerun_under_xvfb() {
    if [ -z "${DISPLAY:-}" ] || [ -z "${MOSSGLEN_E2E_INNER:-}" ]; then
        export MOSSGLEN_E2E_INNER=1
        exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$@"
    fi
}

# What every script does first: e2e_setup "$0" "$@" takes the program to
# test ($program) from the script's argument and runs the script under Xvfb
# with a scratch home.
e2e_setup() {
    program="$(readlink -f "$2")"
    rerun_under_xvfb "$@"
    make_work_home
}

# A scratch folder, $work, that is also the program's home and is removed
# (with the program stopped) when the script ends.
make_work_home() {
    work="$(mktemp -d)"
    trap 'show_log_on_failure; stop_program; rm -rf "$work"' EXIT
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
    mkdir -p "$HOME"
}

wait_until() {  # wait_until SECONDS command...
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        if [ $SECONDS -ge $deadline ]; then
            echo "timed out waiting for: $*" >&2
            return 1
        fi
        sleep 0.1
    done
}

# Only a mapped window takes the focus: one found before it is mapped makes
# the focus request fail with BadMatch.
find_main_window() {
    window_id="$(xdotool search --onlyvisible --name '^mossGlen ' 2>/dev/null | head -n 1)"
    [ -n "$window_id" ]
}

# Without a window manager the focus is set directly; a window that is still
# being mapped refuses it for a moment, so callers try until it takes:
# wait_until 10 focus_window ID.
focus_window() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1" >/dev/null 2>&1
}

start_program() {
    # The suite runs the unit tests offscreen; these drive a real X window.
    QT_QPA_PLATFORM=xcb "$@" >"${work:-/tmp}/program.log" 2>&1 &
    program_pid=$!
    wait_until 60 find_main_window
    wait_until 10 focus_window "$window_id"
    # The first paint happens after the window maps; give the event loop a turn
    # by waiting until the window reports a size.
    wait_until 10 bash -c "xdotool getwindowgeometry $window_id >/dev/null"
}

# The ids of the program's mapped windows, one a line.
mapped_windows() { xdotool search --pid "$program_pid" --onlyvisible --name '' 2>/dev/null | sort; }

visible_windows() { mapped_windows | wc -l; }

more_windows_than() { [ "$(visible_windows)" -gt "$1" ]; }

# Sends keys that open a popup (a menu or submenu: a new window of the
# program), then waits until it is mapped.
keys_opening_popup() {
    local before; before="$(visible_windows)"
    xdotool key "$@"
    wait_until 10 more_windows_than "$before"
}

same_bytes() { cmp -s "$1" "$2"; }

wait_for_bytes() {  # wait_for_bytes FILE EXPECTED-FILE
    local expected; expected="$(mktemp)"
    cat "$2" > "$expected"
    if ! wait_until 15 same_bytes "$1" "$expected"; then
        echo "--- expected"; od -c "$expected" | head; echo "--- got"; od -c "$1" | head
        return 1
    fi
    rm -f "$expected"
}

program_gone() { ! kill -0 "$program_pid" 2>/dev/null; }

# File > eXit: the same road as closing the window, questions included;
# returns when the program is gone.
exit_program() {
    keys_opening_popup alt+f
    xdotool key x
    wait_program_gone
}

wait_program_gone() {
    wait_until 15 program_gone
    program_pid=""
}

show_log_on_failure() {
    local status=$?
    if [ $status -ne 0 ] && [ -f "${work:-/nonexistent}/program.log" ]; then
        echo "--- program output"; cat "$work/program.log"
    fi
    return $status
}

stop_program() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
    fi
}
