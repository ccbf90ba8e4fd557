#!/bin/sh
# Rewrites the scanner's reference token streams and the highlighter's colours
# (tests/data/scanner/reference)
# from the code as it is now. Run it only after a deliberate change to the
# scanner or the highlighter, then read the diff line by line before committing it: a reference
# is only worth something if each changed token was checked by hand.
#
# Usage: tools/regen_scanner_references.sh [build-directory]
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build}
cmake --build "$build" --target tst_htmlscanner tst_syntaxhighlighter
MOSSGLEN_REGENERATE_REFERENCES=1 QT_QPA_PLATFORM=offscreen \
    "$build/bin/tst_htmlscanner" referenceFiles
# The highlighter's colours of the same files (*.colours).
MOSSGLEN_REGENERATE_REFERENCES=1 QT_QPA_PLATFORM=offscreen \
    "$build/bin/tst_syntaxhighlighter" referenceColours
git -C "$src" diff --stat -- tests/data/scanner/reference
