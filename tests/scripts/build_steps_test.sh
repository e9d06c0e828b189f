#!/usr/bin/env bash
# What the scripts build, against a stand-in for cmake that records each call: the demo builds
# only the module and the tool, configure_and_build builds everything unless given targets and
# configures a tree only once, and a failed configure shows the lines that explain it.
set -u
common=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
# Records "configure <tree>" or the build's arguments; STUB_FAIL=configure or build makes that
# step fail with a message of its own.
cat >"$scratch/bin/cmake" <<'STUB'
#!/usr/bin/env bash
if [ "$1" = --build ]; then
  echo "$*" >>"$CMAKE_CALLS"
  [ "${STUB_FAIL:-}" != build ] || { echo "stub: the build broke"; exit 3; }
  exit 0
fi
while [ "$1" != -B ]; do shift; done
echo "configure $2" >>"$CMAKE_CALLS"
[ "${STUB_FAIL:-}" != configure ] || { echo "CMake Error: stub configure broke"; exit 4; }
touch "$2/build.ninja"
STUB
chmod +x "$scratch/bin/cmake"

passed=0 failed=0
# expect <case> <exit: 0 or nonzero> <output pattern> <expected calls, "|" between> <script>
#   runs the bash script with scripts/common.sh sourced (so $root is the project) and builds
#   into the scratch folder.
expect() {
  local name=$1 want_exit=$2 pattern=$3 want_calls=$4 script=$5 out status=0 calls
  rm -rf "$scratch/build" && : >"$scratch/calls"
  out=$(PATH="$scratch/bin:$PATH" CMAKE_CALLS=$scratch/calls RM_BUILD_DIR=$scratch/build \
        bash -c 'source "$0"; '"$script" "$common" 2>&1) || status=nonzero
  calls=$(paste -sd'|' "$scratch/calls" | sed "s|$scratch/build/||g")
  if [ "$calls" = "$want_calls" ] && [[ $out == *"$pattern"* ]] && [ "$status" = "$want_exit" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s: exit %s, calls "%s" (expected "%s"), output:\n%s\n' \
      "$name" "$status" "$calls" "$want_calls" "$out"
  fi
}

# The demo takes the 64-bit module here and stops at the failed build; a prefix that looks
# made keeps Wine out of it.
expect "demo builds the module and the tool" nonzero "stub: the build broke" \
  "configure x86_64|--build x86_64 --target Rm7731 pidtool" \
  'prefix=$build_root/x86_64/demo-wineprefix && mkdir -p "$prefix" && touch "$prefix/system.reg" &&
   RM_SKIP_32BIT=1 STUB_FAIL=build "$root/scripts/demo"'
expect "no targets: everything" 0 "Built everything" "configure i686|--build i686" \
  'configure_and_build i686'
expect "a configured tree is not configured again" 0 "Built Rm7731" \
  "configure x86_64|--build x86_64|--build x86_64 --target Rm7731" \
  'configure_and_build x86_64 && configure_and_build x86_64 Rm7731'
expect "a failed configure shows its log" nonzero "| CMake Error: stub configure broke" \
  "configure x86_64" 'STUB_FAIL=configure configure_and_build x86_64'
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
