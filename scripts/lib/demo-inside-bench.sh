#!/usr/bin/env bash
# Runs inside the Wine bench (see scripts/wine-bench) on behalf of scripts/demo.
set -uo pipefail
source "$(dirname "$0")/common.sh"
source "$ROOT/tests/wine/wizard_app.sh"

win32=$BUILD/win32
log "simulated phone: model ZEKO6W on COM12 (the phone on COM5 stays silent)"

if [ -n "${RAVELIN_USER_DISPLAY:-}" ]; then
    app=$RAVELIN_BENCH/app
    stage_app "$win32" "$app"
    control 5 "reset --silent all"
    control 12 "reset --model ZEKO6W"
    log "starting RavelinWiz.exe on your display; the modem installer is a stand-in that logs what it gets"
    (cd "$app" && wine RavelinWiz.exe)
    log "installer log:"
    cat "$app/installer.log" 2>/dev/null || echo "(the installer was not run)"
else
    log "no display: walking through the wizard under Xvfb in English, German and Chinese"
    bash "$ROOT/tests/wine/wizard_walkthrough.sh" "$win32" "$RAVELIN_DEMO_OUT"
fi
