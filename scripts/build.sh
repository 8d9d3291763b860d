#!/bin/bash
# Sets up (missing packages), configures and builds Zelta into build/ (program in build/out/).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"
# Lets ccache share objects between checkouts in different folders.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"

"$ROOT/scripts/bootstrap.sh"
GEN=()
if [[ ! -f "$BUILD/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
    GEN=(-G Ninja)
fi
cmake -S "$ROOT" -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE="${ZELTA_BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$BUILD" --parallel "$(nproc)"
