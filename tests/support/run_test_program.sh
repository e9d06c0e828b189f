#!/usr/bin/env bash
# run_test_program.sh COMMAND...: CTest runs every test program (under Wine) through this. It
# passes the program's output and exit status through unchanged and, when a program fails
# without saying why, adds one line saying how it ended: with no output at all, or (a
# GoogleTest run) without GoogleTest's closing summary, or with a failing status after a summary
# that passed (a fault on the way out). Without that line such a failure is a bare "Failed".
#
# Now and then 64-bit Wine cannot start a program at all: the fixed address 0x7ffe0000 where it
# maps Windows' shared user data page is already taken in the new process, and the loader exits
# with status 1 before any of the program runs ("err:virtual:virtual_alloc_first_teb wine:
# failed to map the shared user data: c0000018"; about one start in 1,500 on a loaded 2-core
# machine). The test command shows Wine's virtual memory errors for that (WINEDEBUG err+virtual;
# before, it silenced them and the program died without a word). A program that fails within
# two seconds having printed nothing, or nothing but that message, is started once more, and
# the log says so.
wine_could_not_start='failed to map the shared user data'
program=$(printf '%s\n' "$@" | grep -m1 -i '\.exe$' || echo "$1")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
  started=$(date +%s%N)
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  elapsed=$((($(date +%s%N) - started) / 1000000))
}
run "$@"
if [ "$status" -ne 0 ] && [ "$elapsed" -lt 2000 ]; then
  said=
  if [ ! -s "$log" ]; then
    said="printed nothing"
  elif [ "$(grep -c '' "$log")" -eq 1 ] && grep -q "$wine_could_not_start" "$log"; then
    said="could not be started by Wine ($wine_could_not_start)"
  fi
  if [ -n "$said" ]; then
    printf 'run_test_program: %s %s and ended with exit status %d after %d ms; starting it once more\n' \
      "$program" "$said" "$status" "$elapsed"
    run "$@"
  fi
fi
[ "$status" -eq 0 ] && exit 0
how=
if [ ! -s "$log" ]; then
  how="ended without a result: it printed nothing"
elif grep -q -- '--gtest_filter' <<<"$*"; then
  if ! grep -q '^\[==========\] .* ran\.' "$log"; then
    how="ended without a result: GoogleTest never printed its summary"
  elif ! grep -q '^\[  FAILED  \]' "$log"; then
    how="ended with a failure after every test passed (on its way out)"
  fi
fi
if [ -n "$how" ]; then
  # Wine's loader exits with the low byte of the Windows exit code; bash reports a Unix signal
  # N as 128+N.
  case $status in
    253) meaning=" (0xC00000FD: a stack overflow)" ;;
    5) meaning=" (0xC0000005: an access violation, or ERROR_ACCESS_DENIED)" ;;
    53) meaning=" (0xC0000135: a DLL was not found)" ;;
    134 | 137 | 139 | 143) meaning=" (Unix signal $((status - 128)))" ;;
    *) meaning= ;;
  esac
  printf 'run_test_program: %s %s; exit status %d%s after %d.%03d s\n' "$(basename "$program")" \
    "$how" "$status" "$meaning" $((elapsed / 1000)) $((elapsed % 1000))
fi
exit "$status"
