# Sourced by the wizard walkthrough and the demo, inside the Wine bench.

# control <com> <request>: one request to the simulator on that COM port.
control() {
    local com=$1 request=$2 entry port
    entry=$(tr ',' '\n' <<<"$RAVELIN_PHONES" | grep "^$com@")
    port=${entry##*:}
    exec 3<>"/dev/tcp/127.0.0.1/$port"
    printf '%s\n' "$request" >&3
    local line
    while read -r line <&3; do
        case $line in
            ok) break ;;
            error*) echo "simulator: $line" >&2; break ;;
        esac
    done
    exec 3<&-
}

# The installed layout: the program beside its libraries, the installer
# stand-ins and the modem INF.
stage_app() {
    local build=$1 app=$2 file
    rm -rf "$app"
    mkdir -p "$app"
    for file in RavelinWiz.exe Serlox.dll Mextal.dll Porvesk.dll Modquar.dll \
                GMINST32.exe GMINST16.EXE MDMTavo.inf; do
        cp "$build/bin/$file" "$app/"
    done
}

