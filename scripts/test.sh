#!/bin/bash
# Sets up, builds and runs every test. Exits non-zero when any test fails.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/build.sh"
ctest --test-dir "$BUILD" --output-on-failure --parallel "$(nproc)" "$@"
