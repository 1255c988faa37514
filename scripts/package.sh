#!/usr/bin/env bash
# Builds the binary packages from the install rules with CPack, into
# build/packages:
#   deb  libvexlo0_<version>_<arch>.deb (the shared objects) and
#        libvexlo-dev_<version>_<arch>.deb (headers, CMake package, vexlo.pc,
#        the .so links, the static libraries), from a shared and a static
#        release build installed under /usr;
#   zip  vexlo-<version>-win64.zip, the MinGW-w64 release build: DLLs with
#        the compiler's runtime DLLs, import libraries, headers, CMake package.
# Usage: scripts/package.sh [deb] [zip]   (default: both)
# scripts/check-packages.sh installs and uses what this makes.
set -euo pipefail
cd "$(dirname "$0")/.."
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb zip)

common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXLO_BUILD_TESTS=OFF -DVEXLO_BUILD_EXAMPLES=OFF
        -DVEXLO_WARNINGS_AS_ERRORS=ON -DBUILD_SHARED_LIBS=ON)
out=build/packages
mkdir -p "$out"

for kind in "${kinds[@]}"; do
  case "$kind" in
    deb)
      scripts/setup.sh dpkg-dev file
      dir=build/package-deb
      static=build/package-deb-static
      rm -rf "$dir" "$static"
      cmake -S . -B "$static" "${common[@]}" -DBUILD_SHARED_LIBS=OFF -DCMAKE_CXX_COMPILER=g++ \
            -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
      cmake --build "$static" -j2
      cmake -S . -B "$dir" "${common[@]}" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_INSTALL_PREFIX=/usr \
            -DVEXLO_PACKAGE_STATIC_BUILD="$(pwd)/$static" >/dev/null
      cmake --build "$dir" -j2
      rm -f "$out"/libvexlo*.deb
      (cd "$dir" && cpack -G DEB)
      cp "$dir"/packages/*.deb "$out"/
      ;;
    zip)
      scripts/setup.sh g++-mingw-w64-x86-64
      dir=build/package-zip
      rm -rf "$dir"
      cmake -S . -B "$dir" "${common[@]}" \
            -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake >/dev/null
      cmake --build "$dir" -j2
      rm -f "$out"/vexlo-*-win64.zip
      (cd "$dir" && cpack -G ZIP)
      cp "$dir"/packages/*.zip "$out"/
      ;;
    *)
      echo "usage: $0 [deb] [zip]" >&2
      exit 2
      ;;
  esac
done
ls -l "$out"
