#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks that the
# installed program starts from there and finds its data folder.
# Usage: test_install.sh path/to/mossglen (inside the build folder)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_setup "$0" "$@"
build="$(dirname "$(dirname "$program")")"
prefix="$work"

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
echo "install: passed"
