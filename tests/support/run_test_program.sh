#!/usr/bin/env bash
# run_test_program.sh COMMAND...: CTest runs every test program (under Wine) through this. It
# passes the program's output and exit status through unchanged and, when a program fails
# without saying why, adds one line saying how it ended: with no output at all, or (a
# GoogleTest run) without GoogleTest's closing summary, or with a failing status after a summary
# that passed (a fault on the way out). Without that line such a failure is a bare "Failed".
#
# A program that fails within two seconds having printed nothing at all never reached its own
# code's first line (Wine's loader gave up while starting it: seen about once in a few hundred
# starts under load, cause not known). It is started once more, and the log says so.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
  started=$(date +%s%N)
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  elapsed=$((($(date +%s%N) - started) / 1000000))
}
run "$@"
if [ "$status" -ne 0 ] && [ ! -s "$log" ] && [ "$elapsed" -lt 2000 ]; then
  printf 'run_test_program: %s printed nothing and ended with exit status %d after %d ms; starting it once more\n' \
    "$(printf '%s\n' "$@" | grep -m1 -i '\.exe$' || echo "$1")" "$status" "$elapsed"
  run "$@"
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
  program=$(printf '%s\n' "$@" | grep -m1 -i '\.exe$' || echo "$1")
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
