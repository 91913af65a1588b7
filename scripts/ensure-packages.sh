# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by run.sh and test.sh; a warm machine installs nothing and runs no apt-get at all.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Missing packages: ${missing[*]} (install them with your package manager)" >&2
        return 1
    fi
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing needs.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite
                libftdi1-dev libgtest-dev libgmock-dev)

# What the test of the installed tree needs: the validators of the desktop entry and the
# metainfo, groff to check the manual pages, shellcheck for the bash completion.
INSTALL_TEST_PACKAGES=(desktop-file-utils appstream groff-base shellcheck)

# What the tests of windows on a real display need: a virtual X server, a window manager, the tool
# that closes a window through the window manager as its title bar does, and one that clicks.
DISPLAY_PACKAGES=(xvfb openbox wmctrl xdotool)

configure_and_build() {
    local build_dir=$1
    shift
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$build_dir" -j"$(nproc)"
}

# How a sanitizer build's programs run: every report ends the program with a failure, leaks
# included, with whole stack traces. Sourced by test.sh --sanitize and scripts/soak.sh.
sanitizer_environment() {
    local here
    here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
    export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}
