#!/bin/bash
# Sets up, builds and starts Zelta from build/out/.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/build.sh"
exec "$BUILD/out/Zelta" "$@"
