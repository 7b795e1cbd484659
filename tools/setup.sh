#!/usr/bin/env bash
# Installs the Debian packages that are missing, builds, and then either
# starts the program (run) or runs every test headless (test).
#   tools/setup.sh run | test | build      [--asan]
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
  mapfile -t wanted < <(sed -e 's/#.*//' "$top/tools/packages.txt" | awk 'NF { print $1 }')
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

install_missing_packages
build
case "$mode" in
  build) ;;
  test) ctest --test-dir "$build_dir" --output-on-failure -j2 ;;
  run) exec "$build_dir/bin/quietbell" ;;
  *) echo "usage: tools/setup.sh run|test|build [--asan]" >&2; exit 2 ;;
esac
