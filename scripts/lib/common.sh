# Shared by the scripts: package installation and build helpers.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${RAVELIN_BUILD_DIR:-$ROOT/build}
JOBS=${RAVELIN_JOBS:-2}

log() { printf '==> %s\n' "$*"; }

# Packages for building, testing and running the Windows binaries under Wine.
PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
          wine wine32:i386 gcc-multilib xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales)

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

build_native() {
    configure_build "$BUILD/asan" -DCMAKE_BUILD_TYPE=Debug -DRAVELIN_SANITIZE=address,undefined
}

build_tsan() {
    configure_build "$BUILD/tsan" -DCMAKE_BUILD_TYPE=Debug -DRAVELIN_SANITIZE=thread
}

build_windows() {
    configure_build "$BUILD/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw32-posix.cmake"
}

# The libFuzzer targets alone, built with clang.
build_fuzz() {
    configure_build "$BUILD/fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRAVELIN_FUZZ=ON
}
