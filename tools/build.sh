#!/usr/bin/env bash
# Configures and builds into build/ (or $MOSSGLEN_BUILD_DIR). With
# MOSSGLEN_SANITIZE=1 the build is Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer and leaves the benchmarks out.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${MOSSGLEN_BUILD_DIR:-build}"
# Line tables only (-g1): backtraces still name files and lines, and the
# compiler writes far less, which keeps the test command within CI's time.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
if [ "${MOSSGLEN_SANITIZE:-0}" = 1 ]; then
    flags="-fsanitize=address,undefined -fno-omit-frame-pointer"
    options=(-DCMAKE_BUILD_TYPE=Debug -DMOSSGLEN_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_DEBUG=-g1"
             "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined")
fi
# A compiler cache makes the second build and every rebuild cheap.
if command -v ccache >/dev/null 2>&1; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths relative to the checkout, so that another clone hits the cache.
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
fi
cmake -S . -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
