#!/usr/bin/env bash
# Screenshots of the main window, its menus and every dialog, in English and
# in Japanese, from the real program under Xvfb. Each window must come up
# under its own translated title; the pictures go to $MOSSGLEN_SCREENSHOTS
# (docs/ for the README) or a scratch folder. Whether a text is cut off is
# measured by tst_translation; these pictures are for looking at.
# Usage: test_screenshots.sh path/to/mossglen
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$0" "$@"
out="${MOSSGLEN_SCREENSHOTS:-}"
[ -n "$out" ] && out="$(mkdir -p "$out" && cd "$out" && pwd)"
[ -n "$out" ] || out="$work/shots"
mkdir -p "$out" "$work/site"

printf '<!DOCTYPE html>\n<html lang="ja">\n<head>\n<meta charset="utf-8">\n<title>\xe8\x8b\x94\xe3\x81\xae\xe8\xb0\xb7</title>\n<link rel="stylesheet" href="style.css">\n</head>\n<body>\n<h1 class="title">Mossglen</h1>\n<p>\xe8\x8b\x94\xe3\x81\xae\xe8\xb0\xb7\xe3\x81\xb8\xe3\x82\x88\xe3\x81\x86\xe3\x81\x93\xe3\x81\x9d &amp; welcome.</p>\n<script>\nconst moss = document.querySelector(".title");\nif (moss) { moss.textContent += " 2026"; }\n</script>\n</body>\n</html>\n' > "$work/site/index.html"
printf 'body { margin: 0 auto; max-width: 40em; }\n.title { color: #2e7d32; font-size: 2rem !important; }\n@media (max-width: 600px) { body { padding: 1em; } }\n' > "$work/site/style.css"
cp "$work/site/index.html" "$work/index.expected"

# Saves a picture of window $1 as $out/$2.png.
shoot() {
    import -window "$1" "$out/$2.png"
    [ -s "$out/$2.png" ]
}

new_window=""
find_new_window() {
    new_window="$(comm -13 <(printf '%s\n' "$before") <(mapped_windows) | tail -n 1)"
    [ -n "$new_window" ]
}

# Sends keys $2... and waits for a new window titled $1 (a regular
# expression; empty for any title), leaving its id in $new_window.
open_window() {
    local title="$1"; shift
    before="$(mapped_windows)"
    xdotool key "$@"
    wait_until 10 find_new_window
    if [ -n "$title" ]; then
        local name; name="$(xdotool getwindowname "$new_window")"
        if ! [[ "$name" =~ $title ]]; then
            echo "window titled '$name', expected '$title'" >&2
            return 1
        fi
    fi
    sleep 0.3  # the first paint after mapping
}

window_gone() { ! mapped_windows | grep -qx "$new_window"; }

close_window() {
    xdotool key "${1:-Escape}"
    wait_until 10 window_gone
    xdotool windowfocus --sync "$window_id" 2>/dev/null || true
}

for lang in en ja; do
    if [ "$lang" = ja ]; then
        export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 LANGUAGE=ja
        suffix=_ja find="検索と置換" settings="設定" line="指定行へ移動" question="Mossglen"
    else
        export LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE=en
        suffix="" find="Find and Replace" settings="Settings" line="Go to Line" question="Mossglen"
    fi
    # Every run is a first start.
    rm -rf "$HOME/.config" "$HOME/.local"
    start_program "$program" "$work/site/style.css" "$work/site/index.html"

    # First start: about two thirds of the 1280x800 screen.
    eval "$(xdotool getwindowgeometry --shell "$window_id")"
    if [ "$WIDTH" -lt 800 ] || [ "$WIDTH" -gt 900 ] || [ "$HEIGHT" -lt 480 ] || [ "$HEIGHT" -gt 560 ]; then
        echo "first window is ${WIDTH}x${HEIGHT}" >&2
        exit 1
    fi
    xdotool key ctrl+End Up Up Up
    sleep 0.5
    shoot "$window_id" "mainwindow$suffix"

    # A menu: the screen around the window, since the menu is a window too.
    keys_opening_popup alt+f
    sleep 0.3
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$out/menu_file$suffix.png"
    xdotool key Escape Escape

    open_window "^$find\$" ctrl+f
    shoot "$new_window" "find$suffix"
    close_window

    open_window "^$settings\$" F8
    shoot "$new_window" "settings$suffix"
    xdotool key alt+s; sleep 0.3
    shoot "$new_window" "settings_snippets$suffix"
    xdotool key alt+o; sleep 0.3
    shoot "$new_window" "settings_other$suffix"
    close_window

    open_window "^$line\$" ctrl+g
    shoot "$new_window" "gotoline$suffix"
    close_window

    # Tag completion in a new document: names and descriptions in columns.
    xdotool key ctrl+n
    xdotool type --delay 20 '<t'
    open_window "" ctrl+l
    shoot "$new_window" "completion$suffix"
    close_window

    # The close question of the document typed into.
    open_window "^$question\$" ctrl+q
    shoot "$new_window" "question$suffix"
    close_window  # Escape: Cancel, the program stays
    kill -0 "$program_pid"

    stop_program
    wait_program_gone
    # Nothing was saved: the page is as it was.
    cmp "$work/site/index.html" "$work/index.expected"
done

echo "e2e screenshots: passed ($(ls "$out"/*.png | wc -l) pictures in $out)"
