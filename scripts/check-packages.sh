#!/usr/bin/env bash
# Takes the packages that scripts/package.sh made in build/packages as a user
# would, and builds and runs the consumer program (tests/consumer) with them:
#   deb  installs libvexlo0 and libvexlo-dev with dpkg -i (as root, on a
#        machine where they are not installed yet), builds the consumer with
#        find_package and with pkg-config against the system's copy and,
#        with find_package, against the static libraries of libvexlo-dev,
#        runs them, then removes the packages again and runs the static one
#        once more;
#   zip  unpacks the Windows zip, builds the consumer with MinGW-w64 against
#        it with find_package and with pkg-config, and runs both under Wine
#        with the zip's bin folder as the only place to find DLLs.
# Usage: scripts/check-packages.sh [deb] [zip]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb zip)
packages="$root/build/packages"
consumer="$root/tests/consumer"
work=$(mktemp -d)
installed=()
cleanup() {
  if [ ${#installed[@]} -gt 0 ]; then
    echo "--- removing ${installed[*]}"
    dpkg --purge "${installed[@]}" >/dev/null
  fi
  if [ -d "$work/wineprefix" ]; then
    server=/usr/lib/wine/wineserver
    [ -x "$server" ] || server=$(command -v wineserver || true)
    [ -z "$server" ] || WINEPREFIX="$work/wineprefix" "$server" -w || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

check_deb() {
  local debs=("$packages"/libvexlo0_*.deb "$packages"/libvexlo-dev_*.deb)
  for f in "${debs[@]}"; do
    [ -f "$f" ] || { echo "no $f: run scripts/package.sh deb first" >&2; exit 1; }
  done
  if [ "$(id -u)" -ne 0 ]; then
    echo "check-packages.sh deb installs packages: run it as root" >&2
    exit 1
  fi
  for p in libvexlo0 libvexlo-dev; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
      echo "$p is installed already; this check needs a machine without it" >&2
      exit 1
    fi
  done

  echo "--- dpkg -i ${debs[*]##*/}"
  installed=(libvexlo-dev libvexlo0)
  dpkg -i "${debs[@]}"
  dpkg -L libvexlo0 libvexlo-dev | grep -E '\.(so[.0-9]*|a|h|cmake|pc)$' | sed 's/^/    /'

  echo "--- find_package against the installed packages"
  cmake -S "$consumer" -B "$work/deb-fp" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$work/deb-fp" >/dev/null
  "$work/deb-fp/consumer"
  # The program finds the library where the dynamic loader looks by itself.
  ldd "$work/deb-fp/consumer" > "$work/ldd.txt"
  grep -E 'lib(vexlo|tavric)' "$work/ldd.txt" | sed 's/^/    /'
  grep -qE 'libvexlo\.so\.0 => (/usr)?/lib/' "$work/ldd.txt"

  echo "--- pkg-config against the installed packages"
  echo "    pkg-config --cflags --libs vexlo: $(pkg-config --cflags --libs vexlo)"
  # shellcheck disable=SC2046
  g++ -std=c++17 -o "$work/deb-pc" "$root/examples/tour.cpp" $(pkg-config --cflags --libs vexlo)
  "$work/deb-pc"

  echo "--- find_package of the static libraries (vexlo_SHARED_LIBS=OFF) against the installed packages"
  cmake -S "$consumer" -B "$work/deb-static" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -Dvexlo_SHARED_LIBS=OFF >/dev/null
  cmake --build "$work/deb-static" >/dev/null
  "$work/deb-static/consumer"

  echo "--- dpkg --purge libvexlo-dev libvexlo0"
  dpkg --purge "${installed[@]}" >/dev/null
  installed=()
  [ ! -e /usr/include/vexlo ] || { echo "/usr/include/vexlo is left behind" >&2; exit 1; }
  echo "--- the static consumer without the packages"
  "$work/deb-static/consumer"
}

check_zip() {
  local zip
  zip=$(ls "$packages"/vexlo-*-win64.zip 2>/dev/null | head -n 1)
  [ -n "$zip" ] || { echo "no zip in $packages: run scripts/package.sh zip first" >&2; exit 1; }
  local toolchain="$root/cmake/toolchains/x86_64-w64-mingw32.cmake"
  local runner="$root/cmake/vexlo-wine.sh"
  local cxx=x86_64-w64-mingw32-g++-posix

  echo "--- unpack ${zip##*/}"
  mkdir -p "$work/zip"
  (cd "$work/zip" && cmake -E tar xf "$zip")
  local tree
  tree=$(find "$work/zip" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  (cd "$tree" && find . -type f | sort | sed 's/^/    /')
  # Only the zip's own bin folder: it must carry every DLL a program needs.
  local winepath="Z:${tree//\//\\}\\bin"

  echo "--- find_package against the zip, run under Wine"
  cmake -S "$consumer" -B "$work/zip-fp" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -Dvexlo_DIR="$tree/lib/cmake/vexlo" >/dev/null
  cmake --build "$work/zip-fp" >/dev/null
  WINEPATH="$winepath" "$runner" "$work/wineprefix" "$work/zip-fp/consumer.exe"

  echo "--- pkg-config against the zip, run under Wine"
  local flags
  flags=$(PKG_CONFIG_LIBDIR="$tree/lib/pkgconfig" pkg-config --cflags --libs vexlo)
  echo "    pkg-config --cflags --libs vexlo: $flags"
  # shellcheck disable=SC2086
  $cxx -std=c++17 -o "$work/zip-pc.exe" "$root/examples/tour.cpp" $flags
  WINEPATH="$winepath" "$runner" "$work/wineprefix" "$work/zip-pc.exe"
}

for kind in "${kinds[@]}"; do
  case "$kind" in
    deb) check_deb ;;
    zip) check_zip ;;
    *) echo "usage: $0 [deb] [zip]" >&2; exit 2 ;;
  esac
done
echo "packages: ${kinds[*]} checked"
