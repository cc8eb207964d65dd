#!/usr/bin/env bash
# Walks the real RavelinWiz.exe from page 1 to Finish against the simulated phone,
# driven from another process, in English, German and Simplified Chinese, saving a
# screenshot of every page: the phone's SIM belongs to an operator the operator
# table knows, so page 3 shows its APN and page 4 its user name and password, and
# the installer receives that APN. Then the same walk with no SIM in the phone,
# where the APN is typed as before; then checks that each page refuses what it
# cannot go on with and stays, and that "restart now" makes the restart call.
# Runs inside the Wine bench with a display (scripts/wine-bench --display).
#
# usage: wizard_walkthrough.sh <win32 build folder> [screenshot folder] [languages...]
set -uo pipefail

build=${1:?usage: wizard_walkthrough.sh <win32 build folder> [screenshot folder] [languages...]}
shots=${2:-$build/screenshots}
shift $(( $# >= 2 ? 2 : 1 ))
languages=("$@")
[ ${#languages[@]} -gt 0 ] || languages=(en de zh)
: "${RAVELIN_BENCH:?run inside scripts/wine-bench}" "${RAVELIN_PHONES:?}" "${DISPLAY:?needs a display}"
mkdir -p "$shots"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

source "$(dirname "$0")/wizard_app.sh"

# GMINST32.exe logs each run to %TEMP%\GMINST32.log inside the prefix.
installer_log=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)/GMINST32.log

# shoot <file>: a picture of the whole screen (the sheet and any message box).
shoot() {
    import -window root "$1" 2>/dev/null || xwd -root -silent | convert xwd:- "$1"
    convert "$1" -trim +repage "$1" 2>/dev/null || true
}

# run_walkthrough <language> <locale> <model> <expected hardware id> <SIM options>
#                 <APN the installer must receive> <page 3 steps> <page 4 steps>
run_walkthrough() {
    local language=$1 locale=$2 model=$3 hardware_id=$4 sim=$5 apn=$6 page3=$7 page4=$8
    local app=$RAVELIN_BENCH/app-$language
    stage_app "$build" "$app"
    control 5 "reset --silent all"
    control 12 "reset --model $model $sim"
    local result
    result=$(mktemp)
    rm -f "$installer_log"
    (cd "$app" && LANG=$locale LC_ALL=$locale wine RavelinWiz.exe >/dev/null 2>&1) &
    local wizard=$!
    LANG=$locale wine "$build/bin/wizard_drive.exe" --timeout-ms 60000 \
        expect-page:1 shot:1-welcome next \
        expect-page:2 shot:2-detect next \
        expect-page:3 $page3 shot:3-driver next \
        expect-page:4 $page4 text:1022=Tavo_GPRS shot:4-dialup next \
        expect-page:5 select-radio:1029 shot:5-finish finish \
        expect-closed 2>"$result.err" |
    while read -r line; do
        line=${line%$'\r'}
        case $line in
            SHOT\ *) shoot "$shots/$language-${line#SHOT }.png" ;;
        esac
    done
    local driver=${PIPESTATUS[0]}
    wait "$wizard" || true
    [ "$driver" -eq 0 ] || fail "$language walkthrough: driver exit $driver: $(cat "$result.err")"
    local expected="MDMTavo.inf;COM12;$apn;$hardware_id"
    grep -F "$expected" "$installer_log" 2>/dev/null | grep -q $'^GMINST32\tinstalled\t0\t' ||
        fail "$language: installer did not install a modem for $expected (log: $(cat "$installer_log" 2>/dev/null))"
    rm -f "$result" "$result.err"
    echo "$language walkthrough done"
}

declare -A locales=([en]=en_US.UTF-8 [de]=de_DE.UTF-8 [zh]=zh_CN.UTF-8)
declare -A models=([en]=ZEKO6W [de]=JOVE4N [zh]=X9)
declare -A ids=([en]='USB\Vid_2e1a&Pid_4021&Rev_0100' [de]='USB\Vid_2e1a&Pid_4015&Rev_0100'
                [zh]=tavo_generic_usb_wireless_modem)
# SIMs of operators the table knows: one operator on the network, its first
# internet APN suggested, its user name and password on page 4.
declare -A imsis=([en]=460001234567890 [de]=262069876543210 [zh]=460001234567890)
declare -A apns=([en]=cmnet [de]=internet.t-d1.de [zh]=cmnet)
declare -A credentials=([en]='expect-text:1024=guest expect-text:1025=guest'
                        [de]='expect-text:1024= expect-text:1025=t-d1' [zh]='expect-text:1024=guest')
for language in "${languages[@]}"; do
    run_walkthrough "$language" "${locales[$language]}" "${models[$language]}" "${ids[$language]}" \
        "--imsi ${imsis[$language]}" "${apns[$language]}" "expect-text:1016=${apns[$language]}" \
        "${credentials[$language]}"
done

# No SIM in the phone: no suggestion, the pages as without one; the APN is typed.
run_walkthrough en-nosim en_US.UTF-8 ZEKO6W 'USB\Vid_2e1a&Pid_4021&Rev_0100' "--sim-state absent" internet \
    "expect-text:1016= text:1016=internet" "expect-text:1024= expect-text:1025= text:1024=user text:1025=secret"

# The pages refuse what they cannot go on with and stay, in English: with no phone
# the detection page gives up after its 15 s (message 2025); once the phone is
# plugged in, Next goes on. No APN: message 2027; no connection name: message 2028.
# Typed into, the connection-name edit stops at its limit (256 characters), and a
# name that long is written.
run_refusals() {
    local app=$RAVELIN_BENCH/app-refusals locale=en_US.UTF-8
    stage_app "$build" "$app"
    control 5 "reset --silent all"
    control 12 "reset"
    control 12 hangup
    (cd "$app" && LANG=$locale LC_ALL=$locale wine RavelinWiz.exe >/dev/null 2>&1) &
    local wizard=$!
    local long_name failed=""
    long_name=$(printf 'N%.0s' $(seq 300))
    drive_refusals() {
        LANG=$locale wine "$build/bin/wizard_drive.exe" --timeout-ms 60000 "$@" \
            >/dev/null 2>"$app/drive.err"
    }
    drive_refusals next expect-page:2 next 'expect-msgbox:No mobile phone detected' msgbox:ok \
        expect-page:2 || failed="no phone"
    control 12 plug
    [ -n "$failed" ] || drive_refusals next expect-page:3 \
        text:1016= next 'expect-msgbox:APN field is empty' msgbox:ok expect-page:3 \
        text:1016=internet next expect-page:4 \
        text:1022= next 'expect-msgbox:GPRS Dial-up Connection Name field is empty' msgbox:ok \
        expect-page:4 "type:1022=$long_name" expect-length:1022=256 \
        next expect-page:5 select-radio:1029 finish expect-closed || failed="refusals"
    if [ -n "$failed" ]; then
        fail "$failed: $(cat "$app/drive.err")"
        # Leave no wizard behind: close any message box, then the sheet.
        drive_refusals --timeout-ms 2000 msgbox:ok
        drive_refusals --timeout-ms 10000 cancel expect-closed
    fi
    wait "$wizard" || true
    echo "refusals done"
}

run_refusals

# "Restart now" (the default choice) must ask Windows to reboot. Under Wine the call
# only ends this prefix's programs; a relay trace shows that it was made.
app=$RAVELIN_BENCH/app-restart
stage_app "$build" "$app"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d user32.ExitWindowsEx /f >/dev/null 2>&1
(cd "$app" && WINEDEBUG=-all,+relay wine RavelinWiz.exe >/dev/null 2>"$app/relay.log") &
wizard=$!
wine "$build/bin/wizard_drive.exe" --timeout-ms 60000 \
    next next expect-page:3 text:1016=internet next expect-page:4 text:1022=Restart_test next \
    expect-page:5 finish expect-closed >/dev/null || fail "restart walkthrough"
wait "$wizard" || true
grep -q 'Call user32.ExitWindowsEx(00000002,00000000)' "$app/relay.log" ||
    fail "restart now did not call ExitWindowsEx(EWX_REBOOT, 0)"

echo "screenshots in $shots"
[ $failures -eq 0 ] && echo "wizard walkthrough: all passed"
exit $(( failures > 0 ))
