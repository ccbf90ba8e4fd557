#!/bin/sh
# Rewrites the scanner's reference token streams (tests/data/scanner/reference)
# from the scanner as it is now. Run it only after a deliberate change to the
# scanner, then read the diff line by line before committing it: a reference
# is only worth something if each changed token was checked by hand.
#
# Usage: tools/regen_scanner_references.sh [build-directory]
set -e
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build}
cmake --build "$build" --target tst_htmlscanner
MOSSGLEN_REGENERATE_REFERENCES=1 QT_QPA_PLATFORM=offscreen \
    "$build/bin/tst_htmlscanner" referenceFiles
git -C "$src" diff --stat -- tests/data/scanner/reference
