#!/usr/bin/env bash
# Builds QtKeychain for 64-bit Windows with MinGW-w64, static and release, against the static Qt
# for Windows that scripts/build-qt-windows.sh installed, from Debian's source package: the
# desktop program's Windows build keeps the sync's password in the Windows Credential Manager
# through it. Run by scripts/build-windows.sh --qt once Qt is there; about 15 s with one job.
#
#   scripts/build-qtkeychain-windows.sh           # build (when missing) and print the installed
#                                                 # folder
#   scripts/build-qtkeychain-windows.sh --print   # only print the installed folder
#
# It lives in a folder of its own, ${XDG_CACHE_HOME:-~/.cache}/pernard/qtkeychain-VERSION-QTNAME
# (QTNAME the Qt folder's name, so another Qt gets another QtKeychain), apart from Qt's, whose
# name and contents it leaves alone:
#   src/      the unpacked source (its COPYING goes into the Windows package)
#   build/    the build tree
#   logs/     configure, build and install logs
#   prefix/   the installed library, headers and CMake package (Qt6Keychain)
# The folder holds .complete once the install has ended; with it there, a run does nothing.
# Delete the folder to build it again.
#
# Environment: PERNARD_JOBS (parallel jobs, default 2), PERNARD_CCACHE=1 (compile through ccache).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${PERNARD_JOBS:-2}
# Bookworm's 0.13.2 tarball is no longer served by the mirror; trixie's 0.15.0 is taken, as for
# uriparser. Its interface (the jobs of <qt6keychain/keychain.h>) is the same.
version=0.15.0
release=trixie
cache=${XDG_CACHE_HOME:-$HOME/.cache}/pernard

say() { echo "build-qtkeychain-windows: $*" >&2; }

qt=$(scripts/build-qt-windows.sh --print)
dir=$cache/qtkeychain-$version-$(basename "$qt")
if [[ ${1:-} == --print || -f $dir/.complete ]]; then
    echo "$dir/prefix"
    exit 0
fi
if [[ ! -f $qt/.complete ]]; then
    say "no Qt for Windows in $qt: scripts/build-qt-windows.sh builds it"
    exit 1
fi
src=$dir/src
build=$dir/build
logs=$dir/logs
prefix=$dir/prefix

# Runs a step with its output in logs/NAME.log; shows the log's end when the step fails.
quietly() {
    local name=$1
    shift
    mkdir -p "$logs"
    if ! "$@" >>"$logs/$name.log" 2>&1; then
        tail -40 "$logs/$name.log" >&2
        say "$name failed (log: $logs/$name.log)"
        exit 1
    fi
}

# The upstream tarball only (Debian's packaging is for Linux).
fetch_source() {
    [[ -d $src ]] && return
    local download=$dir/download
    mkdir -p "$download"
    if ! ls "$download"/qtkeychain_"$version".orig.tar.* >/dev/null 2>&1; then
        say "fetching qtkeychain $version"
        if ! (cd "$download" &&
              apt-get source -qq --tar-only "qtkeychain/$release" >/dev/null 2>&1); then
            say "apt-get source qtkeychain failed: Debian's source lists missing?" \
                "(scripts/build-windows.sh adds them)"
            exit 1
        fi
    fi
    rm -rf "$src.part"
    mkdir -p "$src.part"
    tar -xf "$download"/qtkeychain_"$version".orig.tar.gz -C "$src.part" --strip-components=1
    # Its Windows flags pass MSVC's /utf-8 to every compiler; GCC takes it for a file (and reads
    # UTF-8 source by default).
    sed -i 's|add_definitions( /utf-8 -DUNICODE )|add_definitions( -DUNICODE )|' \
        "$src.part/qtkeychain/CMakeLists.txt"
    if grep -q /utf-8 "$src.part/qtkeychain/CMakeLists.txt"; then
        say "qtkeychain's CMakeLists.txt still passes /utf-8"
        exit 1
    fi
    mv "$src.part" "$src"
}

build_keychain() {
    local launcher=()
    if [[ -n ${PERNARD_CCACHE:-} ]]; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    rm -rf "$build" "$prefix" "$logs"
    say "building qtkeychain $version with $jobs job(s) (log: $logs/build.log)"
    local started=$SECONDS
    # The Windows Credential Manager backend (its default on Windows), no translations (Qt's
    # Linguist tools are not in the Qt for Windows), no tests. A static library's export macro
    # is empty only with QT6KEYCHAIN_STATIC_DEFINE, here and in what links it (ui/CMakeLists.txt).
    quietly configure env -u PERNARD_WINDOWS_DEPS cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_WITH_QT6=ON -DBUILD_SHARED_LIBS=OFF -DUSE_CREDENTIAL_STORE=ON \
        -DBUILD_TRANSLATIONS=OFF -DBUILD_TESTING=OFF -DBUILD_TEST_APPLICATION=OFF \
        -DCMAKE_CXX_FLAGS=-DQT6KEYCHAIN_STATIC_DEFINE \
        "${launcher[@]}"
    quietly build cmake --build "$build" --parallel "$jobs"
    quietly install cmake --install "$build"
    say "built in $((SECONDS - started)) s"
}

mkdir -p "$dir"
fetch_source
build_keychain
touch "$dir/.complete"
echo "$prefix"
