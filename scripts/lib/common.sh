# Shared by the scripts: package installation and build helpers.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${RAVELIN_BUILD_DIR:-$ROOT/build}
JOBS=${RAVELIN_JOBS:-2}

log() { printf '==> %s\n' "$*"; }

# Packages for building, testing and running the Windows binaries under Wine,
# and for making the setup package.
PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format googletest libgtest-dev libgmock-dev
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
          wine wine32:i386 gcc-multilib xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales
          mobile-broadband-provider-info nsis)

install_packages() {
    local missing=()
    local package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Locales that Wine needs to pick the user-interface languages the wizard is shown in.
generate_locales() {
    local locale
    for locale in en_US de_DE zh_CN; do
        locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$" ||
            localedef -i "$locale" -f UTF-8 "$locale.UTF-8" 2>/dev/null || true
    done
}

# configure_build <dir> <cmake args...>: configures once, then builds everything.
configure_build() {
    configure "$@" && cmake --build "$1" -j"$JOBS"
}

configure() {
    local dir=$1
    shift
    [ -f "$dir/build.ninja" ] || cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

# Natively without sanitizers, for scripts/test --quick (build/native holds the
# Release build that scripts/demo starts the simulator from).
build_plain() {
    configure_build "$BUILD/native-debug" -DCMAKE_BUILD_TYPE=Debug
}

build_native() {
    configure_build "$BUILD/asan" -DCMAKE_BUILD_TYPE=Debug -DRAVELIN_SANITIZE=address,undefined
}

build_tsan() {
    configure_build "$BUILD/tsan" -DCMAKE_BUILD_TYPE=Debug -DRAVELIN_SANITIZE=thread
}

# configure_windows <dir>: the 32-bit Windows Release build, as tested and shipped.
configure_windows() {
    configure "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw32-posix.cmake"
}

build_windows() {
    configure_windows "$BUILD/win32" && cmake --build "$BUILD/win32" -j"$JOBS"
}

# The libFuzzer targets alone, built with clang.
build_fuzz() {
    configure_build "$BUILD/fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRAVELIN_FUZZ=ON
}

# Root passes the terminal permission checks that an ordinary user meets (an
# exclusive open among them), so the serial-link suites also run as one.
# prepare_serial_link_run <native build dir> sets SERIAL_LINK_RUN_DIR, a ctest
# folder of its own that holds only those suites (writable by the user who
# runs them, as ctest keeps its logs there), and AS_ORDINARY_USER, the command
# prefix that runs a command as that user: RAVELIN_TEST_USER (default nobody)
# when running as root, else the current user.
prepare_serial_link_run() {
    local build=$1
    SERIAL_LINK_RUN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/ravelin-serial.XXXXXX") || return 1
    echo "subdirs(\"$build/serlox\")" >"$SERIAL_LINK_RUN_DIR/CTestTestfile.cmake"
    AS_ORDINARY_USER=(env HOME="$SERIAL_LINK_RUN_DIR" TMPDIR="$SERIAL_LINK_RUN_DIR")
    [ "$(id -u)" -eq 0 ] || return 0
    local user=${RAVELIN_TEST_USER:-nobody}
    local uid gid
    uid=$(id -u "$user") && gid=$(id -g "$user") || return 1
    chown -R "$uid:$gid" "$SERIAL_LINK_RUN_DIR" || return 1
    AS_ORDINARY_USER=(setpriv --reuid="$uid" --regid="$gid" --clear-groups "${AS_ORDINARY_USER[@]}")
    if ! "${AS_ORDINARY_USER[@]}" test -x "$build/serlox/tests/serlox_port_tests"; then
        echo "user $user cannot run the tests in $build: give others read and search rights on it" \
             "and its parent folders, or name another user in RAVELIN_TEST_USER" >&2
        return 1
    fi
}

# Wine runs the 32-bit Windows programs as 32-bit Linux processes; some kernels
# are started with ia32 emulation off and refuse them ("Exec format error").
can_run_32bit_programs() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
