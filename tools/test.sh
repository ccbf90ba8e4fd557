#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. GUI tests run on the
# offscreen platform; the end-to-end scripts start their own Xvfb.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/deps.sh"
bash "$here/build.sh"
cd "$here/../${MOSSGLEN_BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
