#!/usr/bin/env bash
# Builds the core, pernard-cli and core_tests for 64-bit Windows with MinGW-w64, all linked
# statically. The libraries the core needs are built first from Debian's source packages by
# scripts/build-windows-deps.sh, into a cache outside the work tree that build-mingw/deps points at.
#
#   scripts/build-windows.sh          # dependencies (when missing) and the Windows build
#   scripts/build-windows.sh --test   # then the zip (scripts/package-windows.sh) and the tests
#                                     # under Wine (scripts/test-windows.sh)
#   scripts/build-windows.sh --qt     # the desktop program and its tests too, on Qt for Windows
#                                     # (scripts/build-qt-windows.sh, into ~/.cache/pernard;
#                                     # about 40 minutes the first time on 2 cores) and
#                                     # QtKeychain (scripts/build-qtkeychain-windows.sh)
#
# Environment: PERNARD_JOBS (parallel jobs, default 2), PERNARD_CCACHE=1 (compile through ccache).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$source_dir/build-mingw  # the mingw preset's folder
jobs=${PERNARD_JOBS:-2}
test=
qt=
for arg in "$@"; do
    case $arg in
        --test) test=1 ;;
        --qt) qt=1 ;;
        *) echo "build-windows: unknown option $arg" >&2; exit 2 ;;
    esac
done
launcher=()
if [[ -n ${PERNARD_CCACHE:-} ]]; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

as_root() { if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi; }

# The cross compiler, Wine, and the build machine's tools the dependency builds run (tclsh for
# SQLite's amalgamation, ICU's icupkg and genccode for its data archive), zip and NSIS for the
# package and the installer, ip for the tests' network namespace, Xvfb, xdotool and ImageMagick
# for the tests of the window.
install_tools() {
    local wanted=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 dpkg-dev tcl
                  icu-devtools googletest cmake ninja-build pkg-config zip unzip iproute2 nsis
                  xvfb xdotool imagemagick fonts-ipafont-gothic fonts-ipafont-mincho)
    local missing=()
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    local sources=/etc/apt/sources.list.d/pernard-deb-src.sources
    if [[ ! -f $sources ]]; then
        # Source packages from the same mirror as the binary ones; uriparser's bookworm sources
        # are no longer served, so trixie's are taken for it.
        as_root tee "$sources" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        as_root apt-get update -qq
    fi
    if ((${#missing[@]})); then
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
}

install_tools
started=$SECONDS
# The libraries, in the cache; build-mingw/deps points at them, where the mingw preset looks.
deps=$(PERNARD_JOBS=$jobs scripts/build-windows-deps.sh)
mkdir -p "$build"
if [[ -d $build/deps && ! -L $build/deps ]]; then rm -rf "$build/deps"; fi
ln -sfn "$deps" "$build/deps"
configure=(cmake --preset mingw "${launcher[@]}")
targets=(pernard-cli core_tests)
if [[ -n $qt ]]; then
    qt_dir=$(PERNARD_JOBS=$jobs scripts/build-qt-windows.sh)
    # QtKeychain on that Qt, in a cache folder of its own (about 15 s when missing).
    keychain_dir=$(PERNARD_JOBS=$jobs scripts/build-qtkeychain-windows.sh)
    # With Qt, the build runs on Qt's toolchain file, which loads ours; a folder configured
    # without it is configured again.
    if [[ -f $build/CMakeCache.txt ]] &&
        ! grep -q '^PERNARD_BUILD_UI:BOOL=ON' "$build/CMakeCache.txt"; then
        rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
    fi
    configure+=(-DPERNARD_BUILD_UI=ON
                -DCMAKE_TOOLCHAIN_FILE="$qt_dir/lib/cmake/Qt6/qt.toolchain.cmake"
                -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake"
                -DPERNARD_KEYCHAIN_PREFIX="$keychain_dir")
    targets+=(pernard ui_tests)
fi

"${configure[@]}" >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"
echo "build-windows: built in $((SECONDS - started)) s"

if [[ -n $test ]]; then
    # The zip too: its pernard-cli.exe is the one the corpus goes through.
    scripts/package-windows.sh >/dev/null
    exec scripts/test-windows.sh "$build"
fi
