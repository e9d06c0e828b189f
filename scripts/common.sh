# Shared by the scripts: where things are, and the scratch Wine prefix inside the build tree.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${RM_BUILD_DIR:-$root/build}
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

configure_and_build() {
  "$root/scripts/install-deps"
  cmake --no-warn-unused-cli -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build"
}

# A new prefix prints configuration messages on its first start; get them over with before
# anything reads a program's output.
ensure_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}
