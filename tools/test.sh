#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. GUI tests run on the
# offscreen platform; the end-to-end scripts start their own Xvfb. Then the
# unit tests run once more in a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, where Qt's assertions are on too.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/deps.sh"
bash "$here/build.sh"
(cd "$here/../${MOSSGLEN_BUILD_DIR:-build}" &&
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

MOSSGLEN_BUILD_DIR="${MOSSGLEN_SANITIZE_DIR:-build-asan}" MOSSGLEN_SANITIZE=1 bash "$here/build.sh"
# Leaks are not checked: Qt's own caches that live until exit drown them.
cd "$here/../${MOSSGLEN_SANITIZE_DIR:-build-asan}"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j "$(nproc)" -E '^e2e_'
