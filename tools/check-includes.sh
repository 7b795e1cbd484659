#!/usr/bin/env bash
# The include rules of docs/ARCHITECTURE.md: a program file (tests/, tools/ and bench/ aside)
# includes X11 and POSIX headers only in platform/linux/ and Win32 headers only in
# platform/windows/. Prints each file and line that breaks them, and exits 1 when one does.
#   tools/check-includes.sh [SOURCE_DIR]   the tree to check (default: this script's project)
#   tools/check-includes.sh --self-test    plants includes in a scratch tree and checks that
#                                          exactly the misplaced ones are named
set -euo pipefail

# Which twin folders may include a header, in $home; empty: any folder may.
home_of() {
  case "$1" in
    xcb/* | X11/* | sys/* | unistd.h | signal.h | pthread.h | dlfcn.h | poll.h | termios.h | \
      spawn.h | dirent.h | pwd.h | grp.h | syslog.h | netinet/* | arpa/*)
      home=platform/linux/ ;;
    # Both C runtimes have this one, with their own flags.
    fcntl.h) home="platform/linux/ platform/windows/" ;;
    windows.h | winbase.h | winuser.h | winreg.h | shellapi.h | shlobj.h | shlwapi.h | \
      objbase.h | commctrl.h | winsock2.h | ws2tcpip.h | io.h | process.h | direct.h | \
      tlhelp32.h | psapi.h | dwmapi.h)
      home=platform/windows/ ;;
    *) home="" ;;
  esac
}

allowed_in() {
  local file=$1 folders=$2 folder
  for folder in $folders; do
    [[ $file == "$folder"* ]] && return 0
  done
  return 1
}

# Prints "file:line: <header> belongs in FOLDERS" for every misplaced include below $1.
misplaced_includes() {
  local top=$1 file number header home
  while IFS=: read -r file number header; do
    home_of "$header"
    if [[ -n $home ]] && ! allowed_in "$file" "$home"; then
      echo "$file:$number: <$header> belongs in $home"
    fi
  done < <(cd "$top" && find . \( -path ./tests -o -path ./tools -o -path ./bench \
             -o -path './build*' -o -path './.*' \) -prune -o \
             -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) -print0 |
           sort -z | xargs -0 -r grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' |
           sed -E 's@^\./([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*@\1:\2:\3@')
}

check() {
  local top=$1 found
  found=$(misplaced_includes "$top")
  if [[ -n $found ]]; then
    echo "$found"
    echo "System headers outside their platform folder (docs/ARCHITECTURE.md, the rooms)." >&2
    return 1
  fi
  echo "include rules hold in $top"
}

self_test() {
  local scratch expected found
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' RETURN
  plant() { mkdir -p "$scratch/$(dirname "$1")" && printf '#include <%s>\n' "$2" >"$scratch/$1"; }
  plant platform/linux/Allowed.cpp xcb/xcb.h
  plant platform/linux/AlsoAllowed.cpp fcntl.h
  plant platform/windows/Allowed.cpp windows.h
  plant platform/windows/Runtime.cpp fcntl.h
  plant tests/Ignored.cpp unistd.h
  plant notifier/Portable.cpp QWidget
  plant notifier/Popup.cpp X11/Xlib.h
  plant platform/Shared.cpp windows.h
  plant platform/windows/Wrong.h sys/stat.h
  plant app/Start.cpp fcntl.h
  expected="app/Start.cpp:1: <fcntl.h> belongs in platform/linux/ platform/windows/
notifier/Popup.cpp:1: <X11/Xlib.h> belongs in platform/linux/
platform/Shared.cpp:1: <windows.h> belongs in platform/windows/
platform/windows/Wrong.h:1: <sys/stat.h> belongs in platform/linux/"
  found=$(misplaced_includes "$scratch")
  if [[ $found != "$expected" ]]; then
    printf 'self-test: expected\n%s\nfound\n%s\n' "$expected" "$found" >&2
    return 1
  fi
  check "$scratch" >/dev/null 2>&1 && { echo "self-test: check passed a planted tree" >&2; return 1; }
  echo "self-test: the misplaced includes, and only they, are named"
}

if [[ ${1:-} == --self-test ]]; then
  self_test
else
  check "${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
fi
