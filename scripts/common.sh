# Shared by the scripts: where things are, how each architecture is built, and the Wine of each
# width with its scratch prefix inside that architecture's build tree.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${RM_BUILD_DIR:-$root/build}
architectures=(i686 x86_64)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine names files on Linux in the locale's character set: UTF-8 holds every name, so a folder
# named in any script reaches Wine whole (the C locale would refuse all but ASCII).
export LC_ALL=C.UTF-8

build_dir() { echo "$build_root/$1"; }

# Facts the sources define once, for the scripts that need them outside C++:
# header_text NAME FILE: the text of `constexpr char NAME[] = "...";` (C's \\ read as \);
# header_guid NAME FILE: the GUID constant NAME = {0x..., ...} in its braced registry form.
header_text() {
  sed -n "s/.*constexpr char $1\[\] = \"\(.*\)\";.*/\1/p" "$2" | sed 's/\\\\/\\/g'
}
header_guid() {
  local numbers
  numbers=$(sed -n "/ $1 = {/,/};/p" "$2" | grep -o '0x[0-9A-Fa-f]*' | tr '\n' ' ')
  # shellcheck disable=SC2086
  printf '{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\n' $numbers
}
# The plug-in's registration as the module writes it: plugin_clsid, plugin_friendly_name,
# plugin_category, and the component registry's vendor_key, component_root_key and
# category_key_name.
read_plugin_registration() {
  plugin_clsid=$(header_guid CLSID_ProductIdentificationPlugin "$root/include/product_identification.h")
  plugin_friendly_name=$(header_text kPluginFriendlyName "$root/src/shared/include/shared/plugin_registration_names.h")
  plugin_category=$(header_text kPluginCategory "$root/src/shared/include/shared/plugin_registration_names.h")
  vendor_key=$(header_text kVarnelKey "$root/src/shared/include/shared/registry_layout_names.h")
  component_root_key=$(header_text kComponentRootKey "$root/src/shared/include/shared/registry_layout_names.h")
  category_key_name=$(header_text kCategoryKeyName "$root/src/shared/include/shared/registry_layout_names.h")
  vendor_key=${vendor_key%\\}
}

# Runs "$@" with its output in LOG, saying before what it does; report_step says how it ended.
run_logged() {
  local what=$1 log=$2 start=$SECONDS status=0
  shift 2
  echo "$what ..."
  "$@" >"$log" 2>&1 || status=$?
  report_step "$what" "$log" "$start" "$status"
}

# report_step WHAT LOG START STATUS: how long a logged step took since START (in $SECONDS), or,
# when it failed, the end of its log, which holds the lines that explain why.
report_step() {
  local what=$1 log=$2 start=$3 status=$4
  if [ "$status" -ne 0 ]; then
    echo "$what FAILED after $((SECONDS - start)) s (exit status $status). The end of $log:" >&2
    tail -n 40 "$log" | sed 's/^/  | /' >&2
    return "$status"
  fi
  echo "$what: done in $((SECONDS - start)) s"
}

# configure_and_build ARCH [TARGET...]: configures the architecture's tree when it has no build
# files yet (later builds re-run CMake themselves when a CMakeLists.txt changes), then builds
# the TARGETs, or everything. Every caller configures with the same options, so a tree that one
# command built in part is completed, not rebuilt, by the next. Ninja's progress lines carry the
# elapsed seconds.
configure_and_build() {
  local arch=$1 tree start=$SECONDS
  shift
  tree=$(build_dir "$arch")
  local build=(cmake --build "$tree")
  [ $# -eq 0 ] || build+=(--target "$@")
  if [ ! -f "$tree/build.ninja" ]; then
    mkdir -p "$tree"
    run_logged "Configuring $tree" "$tree/configure.log" \
      cmake --no-warn-unused-cli -S "$root" -B "$tree" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" || return
  fi
  echo "Building ${*:-everything} in $tree ..."
  NINJA_STATUS=${NINJA_STATUS:-"[%f/%t %es] "} "${build[@]}" || return
  echo "Built ${*:-everything} in $tree: $((SECONDS - start)) s"
}

# Points the Wine commands (wine, wineboot, wineserver) of this shell at the loader and server of
# the architecture's width and at the prefix PREFIX (default: the build tree's own). Debian's
# `wine` script picks the 32-bit loader whenever wine32 is installed, hence the names for x86_64.
use_wine() {
  local arch=$1
  export WINEPREFIX=${2:-$(build_dir "$arch")/wineprefix}
  if [ "$arch" = x86_64 ]; then
    set -a
    source "$root/cmake/wine64.env"
    set +a
    wine() { "$WINELOADER" "$@"; }
    wineserver() { "$WINESERVER" "$@"; }
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
  # Status 2: a server of this prefix runs already (a quick loop's, say); use it as it is.
  wineserver -p || [ $? -eq 2 ]
  wine cmd /c exit >/dev/null 2>&1 || true
}

# A new prefix prints configuration messages on its first start; get them over with before
# anything reads a program's output. Call after use_wine.
ensure_wine_prefix() {
  start_wine_prefix
  wait_for_wine_prefix
}

# Starts making the prefix, when it has none yet, in the background, so that it can overlap a
# build; it says how it went when it ends, and wait_for_wine_prefix waits for it.
start_wine_prefix() {
  if [ -z "${wine_prefix_job:-}" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine_prefix_start=$SECONDS
    echo "Making the Wine prefix $WINEPREFIX (once) ..."
    {
      local log=$WINEPREFIX/wineboot.log status=0
      boot_wine_prefix >"$log" 2>&1 || status=$?
      report_step "Making the Wine prefix $WINEPREFIX" "$log" "$wine_prefix_start" "$status"
    } &
    wine_prefix_job=$!
  fi
}

wait_for_wine_prefix() {
  [ -n "${wine_prefix_job:-}" ] || return 0
  if kill -0 "$wine_prefix_job" 2>/dev/null; then
    echo "Waiting for the Wine prefix ($((SECONDS - wine_prefix_start)) s so far) ..."
  fi
  local job=$wine_prefix_job
  wine_prefix_job=
  wait "$job"
}

# The prefix is made once the server has written its registry (system.reg).
boot_wine_prefix() {
  wine wineboot -i || echo "wineboot exited with status $?"
  wineserver -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wineboot left no system.reg in $WINEPREFIX: the prefix was not made"
    return 1
  fi
}
