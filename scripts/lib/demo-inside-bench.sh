#!/usr/bin/env bash
# Runs inside the Wine bench (see scripts/wine-bench) on behalf of scripts/demo.
set -uo pipefail
source "$(dirname "$0")/common.sh"
source "$ROOT/tests/wine/wizard_app.sh"

win32=$BUILD/win32
control_set='HKLM\System\CurrentControlSet'

# reg_value <key> <value name>: the value's data as `reg query` shows it.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# What the registry holds for each root-enumerated modem: its driver key under the
# Modem class, hardware id, port, friendly name and extra initialisation.
print_modems() {
    local instance driver key found=0
    for instance in $(wine reg query "$control_set\\Enum\\ROOT\\MODEM" 2>/dev/null | tr -d '\r' |
                      grep -i '^HKEY.*\\[0-9]\{4\}$'); do
        found=1
        driver=$(reg_value "$instance" Driver)
        key="$control_set\\Control\\Class\\$driver"
        echo "modem ${instance#*\\Enum\\}"
        printf '  %-13s %s\n' "class key" "$key" \
            "hardware id" "$(reg_value "$instance" HardwareID)" \
            AttachedTo "$(reg_value "$key" AttachedTo)" \
            FriendlyName "$(reg_value "$key" FriendlyName)" \
            UserInit "$(reg_value "$key" UserInit)"
    done
    [ $found -eq 1 ] || echo "(no modem installed)"
}

installer_log=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)/GMINST32.log
log "simulated phone: model ZEKO6W on COM12 (the phone on COM5 stays silent)"

if [ -n "${RAVELIN_USER_DISPLAY:-}" ]; then
    app=$RAVELIN_BENCH/app
    stage_app "$win32" "$app"
    control 5 "reset --silent all"
    control 12 "reset --model ZEKO6W"
    log "starting RavelinWiz.exe on your display; page 3 installs the modem with GMINST32.exe"
    (cd "$app" && wine RavelinWiz.exe)
    log "installer log:"
    cat "$installer_log" 2>/dev/null || echo "(the installer was not run)"
else
    log "no display: walking through the wizard under Xvfb in English, German and Chinese"
    bash "$ROOT/tests/wine/wizard_walkthrough.sh" "$win32" "$RAVELIN_DEMO_OUT"
fi
log "modems in the Wine prefix's registry (each wizard run replaces the modem on COM12):"
print_modems
