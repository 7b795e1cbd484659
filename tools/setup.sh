#!/usr/bin/env bash
# Installs the Debian packages that are missing, builds, and then either
# starts the program (run) or runs every test headless (test).
#   tools/setup.sh run | test | build      [--asan]
# The Windows program: its libraries (the first time only, tools/windows-deps.sh), the
# program and its installer in build-windows/, then its tests under Wine.
#   tools/setup.sh windows
#   tools/setup.sh windows-deps     (only the libraries)
#   tools/setup.sh packages         (only the packages of both builds)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=${1:-test}
sanitize=OFF
bench=ON
build_dir="$top/build"
# The sanitizer build is for the tests; its benchmarks would measure the sanitizers.
if [[ "${2:-}" == "--asan" ]]; then
  sanitize=ON
  bench=OFF
  build_dir="$top/build-asan"
fi

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

install_missing_packages() {
  local wanted=() missing=() pkg
  mapfile -t wanted < <(sed -e 's/#.*//' "$@" | awk 'NF { print $1 }')
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

build() {
  cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_SANITIZE="$sanitize" \
    -DQB_BUILD_BENCH="$bench" -DQB_WERROR=ON
  cmake --build "$build_dir" -j2
}

windows_deps() {
  install_missing_packages "$top/tools/packages.txt" "$top/tools/packages-windows.txt"
  bash "$top/tools/windows-deps.sh" | tail -n1
}

# The Wine prefix the test suites run in, made once per build folder.
wine_prefix() {
  local prefix=$1
  [[ -f "$prefix/system.reg" ]] && return 0
  WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init
  WINEPREFIX="$prefix" wineserver --wait
}

# The Linux build too: the tests that drive the installed Windows program under Wine are
# Linux programs on the Linux test desktop.
windows() {
  local deps windows_dir="$top/build-windows"
  deps=$(windows_deps)
  build
  cmake -S "$top" -B "$windows_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$deps/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_BENCH=OFF -DQB_WERROR=ON
  cmake --build "$windows_dir" -j2 --target all installer
  wine_prefix "$windows_dir/wine-prefix"
  ctest --test-dir "$windows_dir" --output-on-failure
  QB_WINDOWS_BUILD="$windows_dir" ctest --test-dir "$build_dir" --output-on-failure -L wine
}

case "$mode" in
  build) install_missing_packages "$top/tools/packages.txt"; build ;;
  test)
    install_missing_packages "$top/tools/packages.txt"
    build
    ctest --test-dir "$build_dir" --output-on-failure -j2 -LE wine
    ;;
  run) install_missing_packages "$top/tools/packages.txt"; build; exec "$build_dir/bin/quietbell" ;;
  packages) install_missing_packages "$top/tools/packages.txt" "$top/tools/packages-windows.txt" ;;
  windows-deps) windows_deps ;;
  windows) windows ;;
  *) echo "usage: tools/setup.sh run|test|build [--asan] | windows | windows-deps | packages" >&2; exit 2 ;;
esac
