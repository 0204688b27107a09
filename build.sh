#!/usr/bin/env bash
# Installs what is missing, then configures and builds both trees:
#   build/host   native: pure libraries, their tests, benchmarks, tools
#   build/win32  mingw-w64 i686: vellumar.exe and the Windows tests
#   build/win64  the same for x86_64, for machines whose kernel cannot run
#                32-bit Wine (test.sh says which one it runs)
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake make g++ pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb xauth xdotool x11-utils imagemagick
  locales fonts-wqy-microhei fonts-wine
  libgtest-dev googletest libbenchmark-dev
  libopenmpt-dev openmpt123 libxmp-dev libfftw3-dev
  clang libclang-rt-14-dev
  python3 python3-numpy python3-scipy
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "build.sh: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the glibc locale, which must exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen
fi

jobs=$(nproc)
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/host -j "$jobs"
for arch in i686:win32 x86_64:win64; do
  cmake -S . -B "build/${arch#*:}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-${arch%:*}.cmake" >/dev/null
  cmake --build "build/${arch#*:}" -j "$jobs"
done
