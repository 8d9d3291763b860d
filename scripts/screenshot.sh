#!/bin/bash
# Refreshes the project's AppStream screenshot (packaging/screenshots/zelta-main.png) from the
# test that draws it, after the window it shows has changed. The test runs the real program
# (the IM window with a small organisation on a local service, members acting through
# zeltactl) on the offscreen platform, so no display is needed.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"
SHOT="$BUILD/tests/artifacts/appstream/zelta-main.png"

"$ROOT/scripts/build.sh"
rm -f "$SHOT"
# The test fails while the project's copy is out of date; what counts is the fresh drawing.
ctest --test-dir "$BUILD" -R '^packaging_tests\.AppStreamScreenshot\.' >/dev/null || true
if [[ ! -f "$SHOT" ]]; then
    echo "The screenshot test drew nothing; see: ctest --test-dir $BUILD -R AppStreamScreenshot -V" >&2
    exit 1
fi
cp "$SHOT" "$ROOT/packaging/screenshots/zelta-main.png"
echo "Updated packaging/screenshots/zelta-main.png"
