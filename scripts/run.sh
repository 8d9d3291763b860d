#!/bin/bash
# Sets up and builds Zelta, then starts it from build/out/ logged on as the demo user of a
# local demo service whose other members run beside it as scripted peers (zeltactl demo).
# The service is seeded on the first run; the peers stop when Zelta exits.
#
# Environment: ZELTA_SERVICE_DIR (default $XDG_DATA_HOME/Tovar/demo-service),
# ZELTA_AUTOLOGON_ID / ZELTA_AUTOLOGON_PASSWORD (default the demo user "demo" / "demo").
#
# scripts/run.sh --network [Zelta options]: the same demo on the network service instead: a
# private XMPP server (prosody on a free loopback port, data in a temporary folder) with the same
# organisation, the peers and Zelta talking XMPP to it (ZELTA_SERVICE); the server stops with
# the demo.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_BUILD_DIR:-$ROOT/build}"
NETWORK=0
if [[ "${1:-}" == "--network" ]]; then
    NETWORK=1
    shift
fi

"$ROOT/scripts/build.sh"

export ZELTA_AUTOLOGON_ID="${ZELTA_AUTOLOGON_ID:-demo}"
export ZELTA_AUTOLOGON_PASSWORD="${ZELTA_AUTOLOGON_PASSWORD:-demo}"

if ((NETWORK)); then
    RUN_DIR="$(mktemp -d)"
    "$BUILD/out/zeltactl" demo --network --until-pid $$ --location-file "$RUN_DIR/location" \
        >>"$RUN_DIR/peers.log" 2>&1 &
    PEERS=$!
    trap 'kill -TERM "$PEERS" 2>/dev/null || true; wait "$PEERS" 2>/dev/null || true;
          rm -rf "$RUN_DIR"' EXIT
    # The server is up and the organisation on it once the location is written.
    for _ in $(seq 1 600); do
        [[ -s "$RUN_DIR/location" ]] && break
        if ! kill -0 "$PEERS" 2>/dev/null; then
            cat "$RUN_DIR/peers.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    if [[ ! -s "$RUN_DIR/location" ]]; then
        echo "run.sh: the demo's XMPP server did not start in 60 s" >&2
        exit 1
    fi
    unset ZELTA_SERVICE_DIR
    ZELTA_SERVICE="$(cat "$RUN_DIR/location")"
    export ZELTA_SERVICE
    echo "run.sh: network demo on $ZELTA_SERVICE (peers: $RUN_DIR/peers.log)"
    "$BUILD/out/Zelta" "$@"
    exit $?
fi

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

"$BUILD/out/Zelta" "$@"
