#!/bin/bash
# Builds the fuzz targets of fuzz/ with clang in their own build directory and runs each over
# its corpus (fuzz/corpus/<reader>/, seeds from the project's writers and the inputs that once
# broke a reader). New inputs go to a scratch corpus, never into the source tree.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET ...]     (default 5 seconds, every target)
#   scripts/fuzz.sh --seeds                               rewrite the seed files of fuzz/corpus
#
# Exits non-zero when a target finds a crash, a leak or a broken promise; libFuzzer then
# names the input it saved under build/fuzz/findings/.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ZELTA_FUZZ_BUILD_DIR:-$ROOT/build/fuzz}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"

"$ROOT/scripts/bootstrap.sh"
GEN=()
if [[ ! -f "$BUILD/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
    GEN=(-G Ninja)
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" "${GEN[@]}" -DZELTA_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target zelta_fuzz --parallel "$(nproc)"

if [[ "${1:-}" == "--seeds" ]]; then
    "$BUILD/fuzz/zelta_fuzz_seeds" "$ROOT/fuzz/corpus"
    exit 0
fi

SECONDS_EACH="${1:-5}"
shift || true
READERS=("$@")
if ((${#READERS[@]} == 0)); then
    READERS=(message_file collection presets sounds settings_ini html_tags received_body)
fi

FINDINGS="$BUILD/findings"
mkdir -p "$FINDINGS"
status=0
for reader in "${READERS[@]}"; do
    scratch="$BUILD/corpus/$reader"
    mkdir -p "$scratch"
    echo "== fuzz_$reader: ${SECONDS_EACH}s over fuzz/corpus/$reader"
    # Every input of the corpus is run first, so each reproducer is checked on every run.
    if ! "$BUILD/fuzz/fuzz_$reader" -max_total_time="$SECONDS_EACH" -max_len=1100000 \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
        -artifact_prefix="$FINDINGS/${reader}-" "$scratch" "$ROOT/fuzz/corpus/$reader" \
        >"$BUILD/fuzz_$reader.log" 2>&1; then
        tail -n 40 "$BUILD/fuzz_$reader.log"
        status=1
    else
        grep -E "^Done [0-9]+ runs" "$BUILD/fuzz_$reader.log" || true
    fi
done
exit $status
