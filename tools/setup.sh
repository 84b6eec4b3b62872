#!/usr/bin/env bash
# Installs everything Tellwave needs to build and test on Debian 12.
# Idempotent: when everything is present it returns in a second or two.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/.deps"

packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
  xdotool cmake ninja-build googletest libgtest-dev libbenchmark-dev
  libpng-dev zlib1g-dev dpkg-dev g++ clang libclang-rt-14-dev valgrind
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The mingw toolchain must use the posix thread model (std::thread, std::mutex).
if [ "$(readlink -f /etc/alternatives/x86_64-w64-mingw32-g++ 2>/dev/null)" != "/usr/bin/x86_64-w64-mingw32-g++-posix" ]; then
  as_root update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null
  as_root update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null
fi

# libpng for mingw: no Debian binary package exists, so build it statically
# from Debian's own source package.
png_prefix="$deps/mingw"
if [ ! -f "$png_prefix/lib/libpng16.a" ]; then
  mkdir -p "$deps/src"
  src_list=/etc/apt/sources.list.d/tellwave-src.sources
  cleanup() { as_root rm -f "$src_list"; as_root apt-get update -qq >/dev/null 2>&1 || true; }
  trap cleanup EXIT
  # A deb-src twin of the existing entries, removed again on every exit path.
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$src_list" >/dev/null
  as_root apt-get update -qq
  (cd "$deps/src" && { apt-get source --download-only -qq libpng1.6 2>/dev/null || apt-get source --download-only -qq libpng1.6/bookworm; })
  cleanup; trap - EXIT
  dsc=$(ls "$deps"/src/libpng1.6_*.dsc | head -n 1)
  rm -rf "$deps/src/libpng"
  dpkg-source -x "$dsc" "$deps/src/libpng" >/dev/null
  cmake -S "$deps/src/libpng" -B "$deps/src/libpng-build" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc \
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres \
    -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32 \
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$png_prefix" >/dev/null
  cmake --build "$deps/src/libpng-build" >/dev/null
  cmake --install "$deps/src/libpng-build" >/dev/null
fi
echo "setup: ready"
