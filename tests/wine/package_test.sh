#!/usr/bin/env bash
# The setup package as an administrator meets it: a silent install for all
# users, the English wizard walkthrough against the simulated phone started from
# the installed folder, then a silent uninstall through the command the setup
# registered, which must leave none of the installed files, no shortcut and no
# uninstall key, and keep what the wizard made (its per-user profile).
# Runs inside the Wine bench with a display (scripts/wine-bench --display).
#
# usage: package_test.sh <setup program RavelinSetup-<version>.exe> <win32 build folder>
set -uo pipefail

setup=${1:?usage: package_test.sh <setup program> <win32 build folder>}
build=${2:?usage: package_test.sh <setup program> <win32 build folder>}
: "${RAVELIN_BENCH:?run inside scripts/wine-bench}" "${WINEPREFIX:?}"
if [ ! -f "$setup" ]; then
    echo "FAIL: no setup package $setup: the Windows build makes it when makensis (package nsis) is installed" >&2
    exit 1
fi
version=${setup##*/RavelinSetup-}
version=${version%.exe}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ravelin'
profile_key='HKCU\Software\Tavo\Pelliton\SerialPort'
shortcut_name='Tavo GPRS Wireless Modem Setup.lnk'
installed_files=(RavelinWiz.exe Serlox.dll Mextal.dll Porvesk.dll Modquar.dll GMINST32.exe MDMTavo.inf Uninstall.exe)

# windows_variable <name>: the value of a Windows environment variable.
windows_variable() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
program_files=$(windows_variable ProgramFiles)
install_dir_windows="$program_files\\Ravelin"
install_dir=$(winepath -u "$install_dir_windows" 2>/dev/null)
start_menu="$(winepath -u "$(windows_variable ProgramData)" 2>/dev/null)/Microsoft/Windows/Start Menu/Programs"

# registry_value <key> <name>: the value's data as reg query prints it.
registry_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2  *REG_[A-Z_]*  *//p"
}

# The size Add or Remove Programs shows: the installed files, in KB rounded up.
installed_kilobytes() {
    local bytes
    bytes=$(cd "$install_dir" && cat "${installed_files[@]}" | wc -c)
    echo $(((bytes + 1023) / 1024))
}

check_installed() {
    local file
    for file in "${installed_files[@]}"; do
        [ -f "$install_dir/$file" ] || fail "not installed: $install_dir/$file"
    done
    [ -f "$start_menu/$shortcut_name" ] || fail "no all-users Start-menu shortcut $start_menu/$shortcut_name"
    local -A expected=(
        [DisplayName]=Ravelin
        [DisplayVersion]=$version
        [Publisher]=Tavo
        [DisplayIcon]="$install_dir_windows\\RavelinWiz.exe"
        [InstallLocation]=$install_dir_windows
        [UninstallString]="\"$install_dir_windows\\Uninstall.exe\""
        [QuietUninstallString]="\"$install_dir_windows\\Uninstall.exe\" /S"
        [EstimatedSize]=$(installed_kilobytes)
        [NoModify]=1
        [NoRepair]=1
    )
    local name value
    for name in "${!expected[@]}"; do
        value=$(registry_value "$key" "$name")
        # reg query prints a DWORD in hexadecimal.
        [[ $value == 0x* ]] && value=$((value))
        [ "$value" = "${expected[$name]}" ] || fail "uninstall key: $name is '$value', expected '${expected[$name]}'"
    done
}

# The uninstaller runs on from a copy of itself in the temporary folder and the
# program started returns at once: wait until the installation folder is gone.
wait_for_removal() {
    local waited=0
    while [ -e "$install_dir" ]; do
        [ $waited -lt 600 ] || return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

check_removed() {
    local file
    for file in "${installed_files[@]}"; do
        [ ! -e "$install_dir/$file" ] || fail "left behind: $install_dir/$file"
    done
    [ ! -e "$install_dir" ] || fail "installation folder left behind: $install_dir"
    local shortcuts
    shortcuts=$(find "$WINEPREFIX/drive_c" -name "$shortcut_name" 2>/dev/null)
    [ -z "$shortcuts" ] || fail "shortcut left behind: $shortcuts"
    if wine reg query "$key" >/dev/null 2>&1; then fail "uninstall key left behind: $key"; fi
    [ -n "$(registry_value "$profile_key" LastCommport)" ] || fail "the uninstaller removed the wizard's profile"
}

wine "$setup" /S
code=$?
[ $code -eq 0 ] || fail "silent setup exit code $code"
check_installed
echo "installed into $install_dir"

RAVELIN_APP_DIR=$install_dir bash "$(dirname "$0")/wizard_walkthrough.sh" "$build" \
    "$build/package-screenshots" en || fail "wizard walkthrough from the installed folder"

# What the wizard keeps for its user, which the uninstaller must leave alone.
wine reg add "$profile_key" /v LastCommport /d 12 /f >/dev/null 2>&1
uninstaller=$(registry_value "$key" UninstallString)
wine "${uninstaller//\"/}" /S
code=$?
[ $code -eq 0 ] || fail "silent uninstall exit code $code"
wait_for_removal || fail "the uninstaller did not finish within 60 s"
check_removed

[ $failures -eq 0 ] && echo "setup package: all passed"
exit $((failures > 0))
