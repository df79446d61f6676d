# Shared pieces of the project's commands: Debian packages, a virtual display, Wine clean-up.
# Sourced by scripts/test-all, scripts/run-station and scripts/package.

# Installs the Debian packages that are not installed yet (as root, on Debian 12).
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What every build needs: the native toolchain with GoogleTest and Google Benchmark, the
# mingw-w64 cross compilers (posix threads), Wine (64-bit loader only) with a Chinese font, a
# virtual display, and NSIS for the installers (7-Zip reads them back in the tests).
BUILD_PACKAGES=(
    cmake make g++ pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 fonts-wqy-microhei xvfb python3
    nsis p7zip-full
)

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID tells whom to stop.
start_virtual_display() {
    local n=90
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${n}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

stop_virtual_display() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
}

# Ends every Wine process of a prefix, so nothing lingers after the command.
stop_wine() {
    local prefix=$1
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
    return 0
}
