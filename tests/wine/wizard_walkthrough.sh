#!/usr/bin/env bash
# Walks the real RavelinWiz.exe from page 1 to Finish against the simulated phone,
# driven from another process, in English, German and Simplified Chinese, saving a
# screenshot of every page: with a SIM of an operator the operator table knows,
# page 3 suggests its APN and page 4 its user name and password; then once without
# a SIM. Each walkthrough runs with the trace on, which must show every part of
# the suite at work and no IMSI or password. Then checks that each page refuses
# what it cannot go on with and stays, and that "restart now" makes the restart
# call.
# Runs inside the Wine bench with a display (scripts/wine-bench --display).
# The program runs from RAVELIN_APP_DIR when that is set (an installed copy),
# otherwise from a copy of the build staged afresh for each run.
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

# app_folder <run folder>: where RavelinWiz.exe is started from: RAVELIN_APP_DIR,
# or the build staged in the run folder. The run folder also keeps the run's logs.
app_folder() {
    if [ -n "${RAVELIN_APP_DIR:-}" ]; then
        mkdir -p "$1" && echo "$RAVELIN_APP_DIR"
    else
        stage_app "$build" "$1" && echo "$1"
    fi
}

# start_wizard <run folder> <locale> <simulator reset request>: the simulated
# phones reset and the wizard started; its process in $wizard.
start_wizard() {
    local app locale=$2
    app=$(app_folder "$1")
    control 5 "reset --silent all"
    control 12 "$3"
    (cd "$app" && LANG=$locale LC_ALL=$locale wine RavelinWiz.exe >/dev/null 2>&1) &
    wizard=$!
}

# drive <locale> <steps...>: the steps, made by wizard_drive.exe.
drive() {
    LANG=$1 wine "$build/bin/wizard_drive.exe" --timeout-ms 60000 "${@:2}"
}

declare -A locales=([en]=en_US.UTF-8 [de]=de_DE.UTF-8 [zh]=zh_CN.UTF-8)
declare -A models=([en]=ZEKO6W [de]=JOVE4N [zh]=X9)
declare -A ids=([en]='USB\Vid_2e1a&Pid_4021&Rev_0100' [de]='USB\Vid_2e1a&Pid_4015&Rev_0100'
                [zh]=tavo_generic_usb_wireless_modem)

# check_trace <name> <trace file> <text it must not hold>: a line from every part
# of the suite, the installer's command line and exit code, and no secret.
check_trace() {
    local name=$1 file=$2 secret=$3 fragment
    for fragment in 'Serlox COM12 > ATZ\r' 'Mextal COM12 DetectHandSetModel: ok' 'Porvesk connected on COM12' \
                    'RavelinWiz installer: ' 'RavelinWiz installer ended with exit code 0'; do
        grep -qF "$fragment" "$file" 2>/dev/null || fail "$name: the trace lacks \"$fragment\""
    done
    ! grep -qF "$secret" "$file" 2>/dev/null || fail "$name: the trace holds \"$secret\""
}

# run_walkthrough <name> <language> <SIM options> <APN the installer must receive>
#                 <page 3 steps> <page 4 steps> <text the trace must not hold>
# The wizard runs with the trace on.
run_walkthrough() {
    local name=$1 language=$2 apn=$4 page3=$5 page4=$6 secret=$7 result trace
    result=$(mktemp)
    rm -f "$installer_log"
    trace=$RAVELIN_BENCH/trace-$name.log
    rm -f "$trace"
    RAVELIN_TRACE=$(winepath -w "$trace")
    export RAVELIN_TRACE
    start_wizard "$RAVELIN_BENCH/app-$name" "${locales[$language]}" "reset --model ${models[$language]} $3"
    drive "${locales[$language]}" \
        expect-page:1 shot:1-welcome next \
        expect-page:2 shot:2-detect next \
        expect-page:3 $page3 shot:3-driver next \
        expect-page:4 $page4 text:1022=Tavo_GPRS shot:4-dialup next \
        expect-page:5 select-radio:1029 shot:5-finish finish \
        expect-closed 2>"$result.err" |
    while read -r line; do
        line=${line%$'\r'}
        case $line in
            SHOT\ *) shoot "$shots/$name-${line#SHOT }.png" ;;
        esac
    done
    local driver=${PIPESTATUS[0]}
    wait "$wizard" || true
    [ "$driver" -eq 0 ] || fail "$name walkthrough: driver exit $driver: $(cat "$result.err")"
    local expected="MDMTavo.inf;COM12;$apn;${ids[$language]}"
    grep -F "$expected" "$installer_log" 2>/dev/null | grep -q $'^GMINST32\tinstalled\t0\t' ||
        fail "$name: installer did not install a modem for $expected (log: $(cat "$installer_log" 2>/dev/null))"
    unset RAVELIN_TRACE
    check_trace "$name" "$trace" "$secret"
    rm -f "$result" "$result.err"
    echo "$name walkthrough done"
}

# SIMs of operators the table knows: one operator on the network, its first
# internet APN suggested, its user name and password on page 4.
declare -A imsis=([en]=460001234567890 [de]=262069876543210 [zh]=460001234567890)
declare -A apns=([en]=cmnet [de]=internet.t-d1.de [zh]=cmnet)
declare -A credentials=([en]='expect-text:1024=guest expect-text:1025=guest'
                        [de]='expect-text:1024= expect-text:1025=t-d1' [zh]='expect-text:1024=guest')
for language in "${languages[@]}"; do
    run_walkthrough "$language" "$language" "--imsi ${imsis[$language]}" "${apns[$language]}" \
        "expect-text:1016=${apns[$language]}" "${credentials[$language]}" "${imsis[$language]:6}"
done

# No SIM in the phone: no suggestion, the pages as without one; the APN is typed.
run_walkthrough en-nosim en "--sim-state absent" internet "expect-text:1016= text:1016=internet" \
    "expect-text:1024= expect-text:1025= text:1024=user text:1025=secret" secret

# The pages refuse what they cannot go on with and stay, in English: with no phone
# the detection page gives up after its 15 s (message 2025); once the phone is
# plugged in, Next goes on. No APN: message 2027; no connection name: message 2028.
# Typed into, the connection-name edit stops at its limit (256 characters), and a
# name that long is written.
run=$RAVELIN_BENCH/app-refusals
start_wizard "$run" en_US.UTF-8 reset
control 12 hangup
drive en_US.UTF-8 next expect-page:2 next 'expect-msgbox:No mobile phone detected' msgbox:ok expect-page:2 \
    >/dev/null 2>"$run/drive.err" && control 12 plug && drive en_US.UTF-8 next expect-page:3 \
    text:1016= next 'expect-msgbox:APN field is empty' msgbox:ok expect-page:3 text:1016=internet next \
    expect-page:4 text:1022= next 'expect-msgbox:GPRS Dial-up Connection Name field is empty' msgbox:ok \
    expect-page:4 "type:1022=$(printf 'N%.0s' $(seq 300))" expect-length:1022=256 \
    next expect-page:5 select-radio:1029 finish expect-closed >/dev/null 2>"$run/drive.err" || {
    fail "refusals: $(cat "$run/drive.err")"
    # Leave no wizard behind: close any message box, then the sheet.
    drive en_US.UTF-8 --timeout-ms 2000 msgbox:ok >/dev/null 2>&1
    drive en_US.UTF-8 --timeout-ms 10000 cancel expect-closed >/dev/null 2>&1
}
wait "$wizard" || true
echo "refusals done"

# "Restart now" (the default choice) must ask Windows to reboot. Under Wine the call
# only ends this prefix's programs; a relay trace shows that it was made.
run=$RAVELIN_BENCH/app-restart
app=$(app_folder "$run")
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d user32.ExitWindowsEx /f >/dev/null 2>&1
(cd "$app" && WINEDEBUG=-all,+relay wine RavelinWiz.exe >/dev/null 2>"$run/relay.log") &
wizard=$!
wine "$build/bin/wizard_drive.exe" --timeout-ms 60000 \
    next next expect-page:3 text:1016=internet next expect-page:4 text:1022=Restart_test next \
    expect-page:5 finish expect-closed >/dev/null || fail "restart walkthrough"
wait "$wizard" || true
grep -q 'Call user32.ExitWindowsEx(00000002,00000000)' "$run/relay.log" ||
    fail "restart now did not call ExitWindowsEx(EWX_REBOOT, 0)"

echo "screenshots in $shots"
[ $failures -eq 0 ] && echo "wizard walkthrough: all passed"
exit $(( failures > 0 ))
