#!/usr/bin/env bash
# Builds the Windows programs with mingw-w64 and runs their tests under Wine, on a fresh
# Debian 12 machine: packages, the Qt for mingw-w64, a Wine prefix for this run, the build,
# the tests.
#
# The product is 32-bit (i686). Where this machine's kernel runs 32-bit programs, the 32-bit
# build's tests run under wine32. Where it does not (some virtual machines run 64-bit code
# only), the 32-bit build is still built, and the same tests run from a 64-bit (x86_64) build
# under wine64; the script says so.
#
# Environment: CORVANTA_WIN_BUILD_DIR (default build-windows/), CORVANTA_QT_DIR (a Qt 5.15 for
# i686 mingw-w64; default: the prebuilt one in ../shared/toolchains/, else one built from
# Debian's source package into the user's cache folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
builds=${CORVANTA_WIN_BUILD_DIR:-$root/build-windows}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/corvanta
jobs=${CORVANTA_JOBS:-2}
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

step() { echo "== $*"; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_packages() {
  local missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  step "installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# A minimal 32-bit Linux program (ELF for i386: exit(0) by int 0x80). It runs exactly when the
# kernel runs 32-bit programs, which wine32 needs.
runs_32bit_programs() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
  printf '\x00\x80\x04\x08\x5a\x00\x00\x00\x5a\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
  printf '\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >>"$probe"
  chmod +x "$probe"
  local result=1
  "$probe" 2>/dev/null && result=0
  rm -f "$probe"
  return $result
}

# The Qt for i686 mingw-w64: given, prebuilt beside the repository, or built from Debian's
# source package (about 30 minutes on 2 cores) into the cache folder, once.
qt_for_windows() {
  if [ -n "${CORVANTA_QT_DIR:-}" ]; then
    echo "$CORVANTA_QT_DIR"
    return
  fi
  local dir=$cache/qt5-mingw32
  local prebuilt=$root/../shared/toolchains/qt5-mingw32.tar.xz
  if [ ! -f "$dir/lib/cmake/Qt5/Qt5Config.cmake" ]; then
    mkdir -p "$cache"
    if [ -f "$prebuilt" ]; then
      step "unpacking the prebuilt Qt for mingw-w64 into $cache" >&2
      tar -xJf "$prebuilt" -C "$cache"
    else
      build_qt_from_source "$dir" >&2 || return 1
    fi
  fi
  echo "$dir"
}

# apt-get source needs source entries; where there are none, they are added beside the binary
# ones of the same suites, in both of apt's formats (one-line .list files; deb822 .sources, as
# Debian 12 installs by default). Files that are missing are passed over: under pipefail a sed
# that cannot open one would end the script.
add_source_entries() {
  local apt=/etc/apt
  if grep -rqsE '^(deb-src[[:space:]]|Types:.*[[:space:]]deb-src)' "$apt/sources.list" \
    "$apt/sources.list.d/"; then
    return 0
  fi
  local list
  for list in "$apt/sources.list" "$apt"/sources.list.d/*.list; do
    if [ -f "$list" ]; then sed -n 's/^deb /deb-src /p' "$list"; fi
  done | $sudo tee "$apt/sources.list.d/corvanta-deb-src.list" >/dev/null
  if [ -f "$apt/sources.list.d/debian.sources" ]; then
    sed 's/^Types: deb$/Types: deb-src/' "$apt/sources.list.d/debian.sources" |
      $sudo tee "$apt/sources.list.d/corvanta-deb-src.sources" >/dev/null
  fi
  $sudo apt-get update -q >/dev/null
}

build_qt_from_source() {
  local prefix=$1 work=$cache/qtbase-source
  step "building Qt 5.15 for mingw-w64 from Debian's source package (once, about 30 minutes)"
  install_packages dpkg-dev perl python3
  add_source_entries
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -q qtbase-opensource-src >/dev/null)
  local source
  source=$(find "$work" -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -1)
  mkdir -p "$work/build"
  # Qt's own compiler warnings run to thousands of lines: they go to the log, shown on failure.
  local log=$cache/qtbase-build.log
  if ! (cd "$work/build" &&
    "$source/configure" -xplatform win32-g++ -device-option CROSS_COMPILE=i686-w64-mingw32- \
      -prefix "$prefix" -opensource -confirm-license -release -nomake examples -nomake tests \
      -no-opengl -no-dbus -no-icu -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-pcre \
      -qt-harfbuzz -no-openssl -no-sql-sqlite -no-feature-tabletevent &&
    make -j"$jobs" && make install) >"$log" 2>&1; then
    echo "Building Qt for mingw-w64 failed; the end of $log:"
    tail -n 40 "$log"
    return 1
  fi
  rm -rf "$work"
}

# The posix thread model for both compilers, as the Qt for mingw-w64 was built with.
select_posix_compilers() {
  for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
    for tool in gcc g++; do
      if update-alternatives --list $triplet-$tool >/dev/null 2>&1; then
        $sudo update-alternatives --set $triplet-$tool /usr/bin/$triplet-$tool-posix >/dev/null
      fi
    done
  done
}

configure_and_build() {
  local processor=$1 dir=$2 emulator=$3
  shift 3
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
                                            -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-toolchain.cmake" \
    -DCORVANTA_WINDOWS_PROCESSOR="$processor" -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" \
    "${launcher[@]}" "$@" >/dev/null
  step "building for $processor in $dir"
  cmake --build "$dir" -j"$jobs"
}

# --- packages
packages=(cmake ninja-build ccache mingw-w64 googletest wine wine64 xauth xvfb)
if runs_32bit_programs; then
  wine32=yes
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  packages+=(wine32:i386)
else
  wine32=no
fi
install_packages "${packages[@]}"
select_posix_compilers

qt=$(qt_for_windows)

# --- build: the 32-bit product always; the 64-bit test build where wine32 cannot run
configure_and_build i686 "$builds/i686" /usr/bin/wine -DCORVANTA_QT_DIR="$qt"
if [ $wine32 = yes ]; then
  test_build=$builds/i686
else
  echo "This machine's kernel runs no 32-bit programs, so wine32 cannot run here: the tests run"
  echo "from a 64-bit build of the same sources under wine64."
  configure_and_build x86_64 "$builds/x86_64" /usr/lib/wine/wine64
  test_build=$builds/x86_64
fi

# --- a Wine prefix for this run, removed with its wine server at the end
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/corvanta-wine.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
step "making the Wine prefix"
if [ $wine32 = yes ]; then wine wineboot -i >/dev/null 2>&1; else
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; fi
wineserver -w 2>/dev/null || true

step "running the tests under Wine"
cd "$test_build"
ctest --output-on-failure --timeout 300 "$@"
# What was skipped and why (Wine lacks some calls): the tests print it, ctest keeps it here.
if grep -q ': Skipped$' Testing/Temporary/LastTest.log 2>/dev/null; then
  echo "Skipped:"
  grep -A1 ': Skipped$' Testing/Temporary/LastTest.log | grep -vE ': Skipped$|^--$' | sed 's/^/  /'
fi
