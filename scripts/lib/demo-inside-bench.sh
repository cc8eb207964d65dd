#!/usr/bin/env bash
# Runs inside the Wine bench (see scripts/wine-bench) on behalf of scripts/demo.
set -euo pipefail
source "$(dirname "$0")/common.sh"

log "simulated phones: $RAVELIN_PHONES"
log "detection smoke test: a 32-bit program talks to the simulated phone over COM12"
wine "$BUILD/win32/tests/wine/wine_bench_tests.exe" --gtest_color=no
