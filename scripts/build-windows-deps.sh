#!/usr/bin/env bash
# Builds the libraries the core needs for 64-bit Windows, from Debian's source packages, static,
# into a folder outside the work tree (${XDG_CACHE_HOME:-$HOME/.cache}/pernard/mingw-deps-KEY),
# KEY a hash of these recipes, the toolchain file and the cross compiler's version: a fresh
# clone on a machine that built them once finds them there. A library is built again only when
# its stamp is gone. Installs the cross compiler and Wine first.
#
#   scripts/build-windows-deps.sh    # builds what is missing, then prints the folder
#
# Everything but the folder's name goes to standard error.
# Environment: PERNARD_JOBS (parallel jobs, default 2), PERNARD_CCACHE=1 (compile through ccache).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${PERNARD_JOBS:-2}
triple=x86_64-w64-mingw32
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
launcher=()
if [[ -n ${PERNARD_CCACHE:-} ]]; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The folder these recipes build into.
deps_folder() {
    local compiler
    compiler=$("$triple-gcc-posix" -dumpfullversion 2>/dev/null || echo none)
    local key
    key=$({ cat "$0" "$toolchain"; find cmake/windows/curl cmake/windows/icu -type f | sort |
            xargs cat; echo "$compiler"; } | sha256sum | cut -c1-10)
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/pernard/mingw-deps-$key"
}

as_root() { if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi; }

# The cross compiler, Wine, and the build machine's tools the dependency builds run (tclsh for
# SQLite's amalgamation, ICU's icupkg and genccode for its data archive), zip for the package and
# ip for the tests' network namespace.
install_tools() {
    local wanted=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 dpkg-dev tcl
                  icu-devtools googletest cmake ninja-build pkg-config zip unzip iproute2)
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

# Unpacks the upstream tarball of a Debian source package into $deps/src/NAME and prints the
# folder. Only the tarballs are fetched (the packaging and its patches are not needed here).
fetch_source() {
    local package=$1 release=${2:-bookworm}
    local into=$deps/src/$package
    if [[ ! -d $into ]]; then
        mkdir -p "$deps/download/$package"
        (cd "$deps/download/$package" &&
         apt-get source -qq --tar-only "$package${release:+/$release}" >/dev/null 2>&1 ||
             ls ./*.orig.tar.* >/dev/null)
        local tarball
        tarball=$(ls "$deps/download/$package"/*.orig.tar.* | grep -v '\.asc$' | head -1)
        mkdir -p "$into.part"
        tar -xf "$tarball" -C "$into.part" --strip-components=1
        mv "$into.part" "$into"
    fi
    echo "$into"
}

stamp() { [[ -f $deps/stamps/$1 ]]; }
mark() { mkdir -p "$deps/stamps" && touch "$deps/stamps/$1"; }

# Runs a step quietly, keeping its output in $deps/logs/NAME.log; shows the log's end when
# the step fails.
quietly() {
    local name=$1
    shift
    mkdir -p "$deps/logs"
    if ! "$@" >>"$deps/logs/$name.log" 2>&1; then
        tail -40 "$deps/logs/$name.log" >&2
        echo "build-windows: building $name failed (log: $deps/logs/$name.log)" >&2
        exit 1
    fi
}

cmake_dep() {
    local name=$1 src=$2
    shift 2
    quietly "$name" cmake -S "$src" -B "$deps/build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPERNARD_WINDOWS_DEPS="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "${launcher[@]}" "$@"
    quietly "$name" cmake --build "$deps/build/$name" -j"$jobs"
    quietly "$name" cmake --install "$deps/build/$name"
}

cc() {
    if [[ -n ${PERNARD_CCACHE:-} ]]; then ccache "$triple-gcc-posix" "$@"; else "$triple-gcc-posix" "$@"; fi
}

build_utf8proc() {
    local src
    src=$(fetch_source utf8proc)
    mkdir -p "$deps/build/utf8proc" "$prefix/lib" "$prefix/include"
    cc -O2 -DUTF8PROC_STATIC -c "$src/utf8proc.c" -o "$deps/build/utf8proc/utf8proc.o"
    "$triple-ar" rcs "$prefix/lib/libutf8proc.a" "$deps/build/utf8proc/utf8proc.o"
    cp "$src/utf8proc.h" "$prefix/include/"
}

amalgamate_sqlite() (
    cd "$2" && "$1/configure" --disable-shared --disable-tcl --disable-readline &&
        make -j"$jobs" sqlite3.c
)

build_sqlite() {
    local src
    src=$(fetch_source sqlite3)
    local work=$deps/build/sqlite
    mkdir -p "$work"
    # The amalgamation is generated by the build machine's tools (tclsh, lemon), then compiled
    # as one file.
    if [[ ! -f $work/sqlite3.c ]]; then
        quietly sqlite amalgamate_sqlite "$src" "$work"
    fi
    cc -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c "$work/sqlite3.c" \
        -o "$work/sqlite3.o"
    "$triple-ar" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
    cp "$work/sqlite3.h" "$work/sqlite3ext.h" "$prefix/include/"
}

# Only libnettle (the hashes): no public-key half (it needs GMP), no assembly, no docs.
make_nettle() (
    cd "$2" && "$1/configure" --host="$triple" --prefix="$prefix" --disable-shared \
        --disable-public-key --disable-assembler --disable-documentation --disable-openssl \
        --disable-gcov --disable-mini-gmp &&
        make -j"$jobs" libnettle.a && make install-headers install-pkgconfig
)

build_nettle() {
    local src
    src=$(fetch_source nettle)
    local work=$deps/build/nettle
    mkdir -p "$work"
    quietly nettle make_nettle "$src" "$work"
    cp "$work/libnettle.a" "$prefix/lib/"
}

build_curl() {
    local src
    src=$(fetch_source curl)
    # HTTP(S) only, with Windows' own TLS (Schannel): no OpenSSL, zlib, IDN or SSH.
    cmake_dep curl "$source_dir/cmake/windows/curl" -DCURL_SOURCE="$src"
}

build_icu() {
    local src
    src=$(fetch_source icu)
    local work=$deps/build/icu-data
    mkdir -p "$work/items"
    # The data archive ICU's source ships, cut down to the collation of Japanese and of the
    # root it is built on, then turned into C for linking in.
    local archive=$src/source/data/in/icudt72l.dat
    local items=(coll/root.res coll/ja.res coll/res_index.res coll/ucadata.icu root.res ja.res
                 res_index.res pool.res)
    printf '%s\n' "${items[@]}" >"$work/items.txt"
    icupkg -x "$work/items.txt" -d "$work/items" "$archive"
    rm -f "$work/icudt72l.dat"
    icupkg -tl -a "$work/items.txt" -s "$work/items" new "$work/icudt72l.dat"
    genccode -d "$work" "$work/icudt72l.dat" >/dev/null
    cmake_dep icu "$source_dir/cmake/windows/icu" -DICU_SOURCE="$src/source" \
        -DICU_DATA_C="$work/icudt72l_dat.c"
    mkdir -p "$prefix/lib/pkgconfig"
    for name in icu-uc:icuuc icu-i18n:icuin; do
        cat >"$prefix/lib/pkgconfig/${name%%:*}.pc" <<EOF
prefix=$prefix
Name: ${name%%:*}
Description: ICU (static, for Windows)
Version: 72.1
Cflags: -I\${prefix}/include -DU_STATIC_IMPLEMENTATION
Libs: -L\${prefix}/lib -l${name##*:} $([[ ${name##*:} == icuin ]] && echo -licuuc)
EOF
    done
}

build_uriparser() {
    local src
    src=$(fetch_source uriparser trixie)
    cmake_dep uriparser "$src" -DURIPARSER_SHARED_LIBS=OFF -DURIPARSER_BUILD_DOCS=OFF \
        -DURIPARSER_BUILD_TESTS=OFF -DURIPARSER_BUILD_TOOLS=OFF -DURIPARSER_BUILD_WCHAR_T=OFF
}

build_simdjson() {
    local src
    src=$(fetch_source simdjson)
    cmake_dep simdjson "$src" -DSIMDJSON_DEVELOPER_MODE=OFF -DSIMDJSON_ENABLE_THREADS=ON
}

build_googletest() {
    cmake_dep googletest /usr/src/googletest -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF \
        -DBUILD_TESTING=OFF
}

install_tools >&2
deps=$(deps_folder)
prefix=$deps/prefix
mkdir -p "$prefix"
started=$SECONDS
exec 3>&1 1>&2
for dep in utf8proc sqlite nettle uriparser simdjson googletest curl icu; do
    if ! stamp "$dep"; then
        echo "build-windows: building $dep" >&2
        rm -f "$deps/logs/$dep.log"
        "build_$dep"
        mark "$dep"
    fi
done
echo "build-windows: dependencies ready in $deps ($((SECONDS - started)) s)"
echo "$deps" >&3
