#!/usr/bin/env bash
# Builds the libraries of the Windows program (Qt's Core, Gui and Widgets with the windows
# platform plugin, ICU with its data, HarfBuzz) with MinGW from Debian's source packages of the
# versions the Linux build links, into a prefix outside the tree:
#   <cache>/windows-deps-<hash>     <cache> = $QB_WINDOWS_CACHE or ~/.cache/quietbell
# <hash> is taken over this script and those versions, so a changed recipe builds anew and an
# unchanged one is reused. The prefix also holds toolchain.cmake, the CMake toolchain file
# that builds against it. Prints the prefix as its last line.
#   tools/windows-deps.sh [--print-prefix]    (--print-prefix: name it, build nothing)
set -euo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
cache=${QB_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quietbell}
mingw=x86_64-w64-mingw32
jobs=2

source_version() {
  dpkg-query -W -f='${source:Version}' "$1"
}

# Debian's source package names and the binary packages whose versions they must match.
qt_version=$(source_version libqt6core6)
icu_version=$(source_version libicu72)
harfbuzz_version=$(source_version libharfbuzz0b)
hash=$( { cat "$script"; echo "$qt_version $icu_version $harfbuzz_version"; } | sha256sum | cut -c1-16)
prefix=$cache/windows-deps-$hash

if [[ "${1:-}" == "--print-prefix" ]]; then
  echo "$prefix"
  exit 0
fi
if [[ -f "$prefix/toolchain.cmake" ]]; then
  echo "$prefix"
  exit 0
fi

# Everything is built in a work folder beside the prefix; the prefix appears only when whole.
work=$prefix.work
staging=$work/prefix
mkdir -p "$work" "$staging" "$cache/sources"
started=$(date +%s)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Qt's precompiled headers would otherwise make every compile uncacheable.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi

write_toolchain() {
  local target=$1 root=$2
  cat > "$target" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $mingw-gcc-posix)
set(CMAKE_CXX_COMPILER $mingw-g++-posix)
set(CMAKE_RC_COMPILER $mingw-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$mingw $root)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH $root)
# Qt's host tools (moc, rcc, uic) are Debian's own of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
EOF
}

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# apt-get checks each tarball against the archive's signed index.
fetch_sources() {
  local list=/etc/apt/sources.list.d/quietbell-deb-src.sources
  cd "$cache/sources"
  if ls qt6-base_"${qt_version%-*}"*.orig.tar.xz icu_"${icu_version%-*}"*.orig.tar.gz \
      harfbuzz_"${harfbuzz_version%-*}"*.orig.tar.xz >/dev/null 2>&1; then
    return 0
  fi
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
  as_root apt-get update -q
  apt-get source --download-only "qt6-base=$qt_version" "icu=$icu_version" "harfbuzz=$harfbuzz_version"
  as_root rm -f "$list"
}

unpack() {
  local tarball=$1
  shift
  tar -xf "$cache/sources"/$tarball -C "$work" "$@"
}

build_icu() {
  [[ -f "$work/icu.done" ]] && return 0
  rm -rf "$work/icu" "$work/icu-native" "$work/icu-win"
  unpack "icu_${icu_version%-*}.orig.tar.gz"
  local options=(--disable-tests --disable-samples --disable-extras --disable-icuio --disable-layoutex)
  local cc=gcc cxx=g++ xcc=$mingw-gcc-posix xcxx=$mingw-g++-posix
  if ((${#launcher[@]})); then
    cc="ccache $cc" cxx="ccache $cxx" xcc="ccache $xcc" xcxx="ccache $xcxx"
  fi
  # A cross build of ICU takes its data tools from a native build beside it.
  mkdir -p "$work/icu-native" "$work/icu-win"
  (cd "$work/icu-native" && CC=$cc CXX=$cxx ../icu/source/runConfigureICU Linux "${options[@]}" && make -j$jobs)
  (cd "$work/icu-win" && CC=$xcc CXX=$xcxx ../icu/source/configure --host=$mingw \
    --with-cross-build="$work/icu-native" --prefix="$staging" "${options[@]}" --disable-tools \
    --with-data-packaging=library && make -j$jobs && make install)
  touch "$work/icu.done"
}

build_harfbuzz() {
  [[ -f "$work/harfbuzz.done" ]] && return 0
  rm -rf "$work"/harfbuzz-*
  unpack "harfbuzz_${harfbuzz_version%-*}.orig.tar.xz"
  local src
  src=$(find "$work" -maxdepth 1 -type d -name 'harfbuzz-*' | head -n1)
  cmake -G Ninja -S "$src" -B "$work/harfbuzz-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" -DBUILD_SHARED_LIBS=ON \
    -DHB_HAVE_FREETYPE=OFF -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF -DHB_BUILD_UTILS=OFF -DHB_BUILD_SUBSET=OFF
  cmake --build "$work/harfbuzz-build" --parallel $jobs
  cmake --install "$work/harfbuzz-build"
  touch "$work/harfbuzz.done"
}

build_qt() {
  [[ -f "$work/qt.done" ]] && return 0
  rm -rf "$work"/qtbase-everywhere-src-* "$work/qt-build"
  # Debian's source lacks the tests' and examples' data; they are not built anyway.
  unpack "qt6-base_${qt_version%-*}.orig.tar.xz" --exclude='*/tests/*' --exclude='*/examples/*'
  local src
  src=$(find "$work" -maxdepth 1 -type d -name 'qtbase-everywhere-src-*' | head -n1)
  # Debian leaves out src/3rdparty/wintab (tablet events); dynamic GL is meaningless without GL.
  cmake -G Ninja -S "$src" -B "$work/qt-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF \
    -DFEATURE_testlib=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libpng=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=ON -DFEATURE_gif=ON
  cmake --build "$work/qt-build" --parallel $jobs
  cmake --install "$work/qt-build"
  touch "$work/qt.done"
}

fetch_sources
write_toolchain "$work/toolchain.cmake" "$staging"
build_icu
build_harfbuzz
build_qt
# The toolchain file names the prefix by its final path; it is written last, so its presence
# means the prefix is whole.
mv "$staging" "$prefix"
rm -rf "$work"
write_toolchain "$prefix/toolchain.cmake" "$prefix"
echo "Windows libraries built in $(( $(date +%s) - started )) s" >&2
echo "$prefix"
