# Shared by the scripts: where things are, how each architecture is built, and the Wine of each
# width with its scratch prefix inside that architecture's build tree.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${RM_BUILD_DIR:-$root/build}
architectures=(i686 x86_64)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

build_dir() { echo "$build_root/$1"; }

configure_and_build() {
  local arch=$1
  cmake --no-warn-unused-cli -S "$root" -B "$(build_dir "$arch")" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
  cmake --build "$(build_dir "$arch")"
}

# Points the Wine commands (wine, wineboot, wineserver) of this shell at the loader and server of
# the architecture's width and at the prefix PREFIX (default: the build tree's own). Debian's
# `wine` script picks the 32-bit loader whenever wine32 is installed, hence the names for x86_64.
use_wine() {
  local arch=$1
  export WINEPREFIX=${2:-$(build_dir "$arch")/wineprefix}
  if [ "$arch" = x86_64 ]; then
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    wine() { /usr/lib/wine/wine64 "$@"; }
    wineserver() { /usr/lib/wine/wineserver64 "$@"; }
  else
    unset WINELOADER WINESERVER
    unset -f wine wineserver
  fi
}

# Why this machine cannot run 32-bit x86 programs, or nothing when it can: it runs a 32-bit
# program that wine32 installs anyway, since the kernel configuration can claim IA-32 emulation
# on machines that refuse it. RM_SKIP_32BIT=1 forces the answer, so the skip path can be tried
# anywhere.
probe_32bit_program=${RM_PROBE_32BIT_PROGRAM:-/usr/lib/wine/wineserver32}
probe_binfmt_entry=${RM_PROBE_BINFMT_ENTRY:-/proc/sys/fs/binfmt_misc/qemu-i386}
why_no_32bit() {
  local out
  if [ -n "${RM_SKIP_32BIT:-}" ] && [ "${RM_SKIP_32BIT}" != 0 ]; then
    echo "RM_SKIP_32BIT=$RM_SKIP_32BIT asks for it"
  elif [ "$(head -n 1 "$probe_binfmt_entry" 2>/dev/null)" = enabled ]; then
    # An emulator left registered would take about a minute to start every 32-bit process.
    echo "32-bit programs would run only through the qemu-i386 emulator registered in binfmt_misc"
  elif ! out=$("$probe_32bit_program" --version 2>&1 </dev/null); then
    echo "this machine cannot execute 32-bit x86 programs ($probe_32bit_program: ${out##*: })"
  fi
}

# Keeps the prefix's wineserver, and the services the first program starts, running until
# `wineserver -k`. Without it the server exits whenever no program has run for a few seconds,
# and the next program pays for starting the prefix's services again. Call after
# ensure_wine_prefix.
keep_wine_running() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

# A new prefix prints configuration messages on its first start; get them over with before
# anything reads a program's output. Call after use_wine.
ensure_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}
