#!/bin/bash
# Sets up, builds and runs every test. Exits non-zero when any test fails.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/build.sh"
status=0
ctest --test-dir "$BUILD" --output-on-failure --parallel "$(nproc)" "$@" || status=$?
# The readers of untrusted bytes, fuzzed a few seconds each over their corpora (clang, in a
# build directory of their own); scripts/fuzz.sh with a longer time goes further.
ZELTA_FUZZ_BUILD_DIR="${ZELTA_FUZZ_BUILD_DIR:-$BUILD/fuzz}" "$ROOT/scripts/fuzz.sh" 5 || status=1
exit $status
