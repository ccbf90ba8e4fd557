#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks that the
# installed program starts from there and finds its data folder.
# Usage: test_install.sh path/to/mossglen (inside the build folder)
set -euo pipefail
program="$(readlink -f "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
rerun_under_xvfb "$0" "$@"
build="$(dirname "$(dirname "$program")")"
prefix="$(mktemp -d)"
work="$prefix"
trap 'show_log_on_failure; stop_program; rm -rf "$prefix"' EXIT
export HOME="$prefix/home"
mkdir -p "$HOME"

cmake --install "$build" --prefix "$prefix" >/dev/null
installed="$prefix/bin/mossglen"
[ -x "$installed" ]
[ "$("$installed" --version)" = "Mossglen 0.014.Dev" ]
"$installed" --help | grep -qx "Keyword and template files: $prefix/share/mossglen/settings"
for f in tags.txt css.txt htmlSpecialChars.txt jsKeywords.txt phpKeywords.txt template.html; do
    [ -s "$prefix/share/mossglen/settings/$f" ]
done
[ -s "$prefix/share/mossglen/translations/mossglen_ja_JP.qm" ]
[ -s "$prefix/share/icons/hicolor/48x48/apps/mossglen.png" ]
desktop-file-validate "$prefix/share/applications/mossglen.desktop" 2>/dev/null \
    || grep -q '^Exec=mossglen %F$' "$prefix/share/applications/mossglen.desktop"

# The installed program starts from there and shows its window.
start_program "$installed" --no-such-option
exit_program
wait_program_gone
echo "install: passed"
