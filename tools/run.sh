#!/usr/bin/env bash
# Installs what is missing, builds and starts the editor with the given files.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/deps.sh"
bash "$here/build.sh"
exec "$here/../${MOSSGLEN_BUILD_DIR:-build}/bin/mossglen" "$@"
