#!/bin/bash
# Sets up and builds Zelta, then starts it from build/out/ logged on as the demo user of a
# local demo service whose other members run beside it as scripted peers (zeltactl demo).
# The service is seeded on the first run; the peers stop when Zelta exits.
#
# Environment: ZELTA_SERVICE_DIR (default $XDG_DATA_HOME/Tovar/demo-service),
# ZELTA_AUTOLOGON_ID / ZELTA_AUTOLOGON_PASSWORD (default the demo user "demo" / "demo").
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/build.sh"

DATA="${XDG_DATA_HOME:-$HOME/.local/share}"
export ZELTA_SERVICE_DIR="${ZELTA_SERVICE_DIR:-$DATA/Tovar/demo-service}"
ZELTACTL="$BUILD/out/zeltactl"

# Creates and fills the demo organisation when the service is empty; otherwise leaves it.
"$ZELTACTL" demo --seed-only >/dev/null

# The peers' log grows across runs; past 1 MiB the previous one is kept as peers.log.1.
PEERS_LOG="$ZELTA_SERVICE_DIR/peers.log"
if [[ -f "$PEERS_LOG" ]] && (($(stat -c %s "$PEERS_LOG") > 1048576)); then
    mv -f "$PEERS_LOG" "$PEERS_LOG.1"
fi
# The peers follow this script: they also end when it is killed without running its trap.
"$ZELTACTL" demo --no-seed --until-pid $$ >>"$PEERS_LOG" 2>&1 &
PEERS=$!
trap 'kill -TERM "$PEERS" 2>/dev/null || true; wait "$PEERS" 2>/dev/null || true' EXIT

export ZELTA_AUTOLOGON_ID="${ZELTA_AUTOLOGON_ID:-demo}"
export ZELTA_AUTOLOGON_PASSWORD="${ZELTA_AUTOLOGON_PASSWORD:-demo}"
"$BUILD/out/Zelta" "$@"
