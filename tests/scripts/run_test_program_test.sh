#!/usr/bin/env bash
# tests/support/run_test_program.sh: it keeps each program's output and status, and says how a
# program ended exactly when the program failed without saying why.
set -u
runner=$1
passed=0 failed=0
# expect <status> <line the runner must add, empty for none> <program text for bash -c> [args]
expect() {
  local status=$1 added=$2 program=$3 output got
  shift 3
  output=$("$runner" bash -c "$program" "$@" 2>&1)
  got=$?
  own=$(grep '^run_test_program: ' <<<"$output")
  if [ "$got" -eq "$status" ] && { [ -z "$added" ] && [ -z "$own" ] || [[ -n "$added" && $own == *"$added"* ]]; } &&
     [[ $output == *"$(bash -c "$program" "$@" 2>&1)"* ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: '$program' $*: status $got (expected $status), added '$own' (expected '${added:-nothing}')"
  fi
}
summary='echo "[==========] 1 test from 1 test suite ran. (5 ms total)"'
expect 0 "" 'exit 0'
expect 0 "" 'echo hello; exit 0'
expect 3 "ended without a result: it printed nothing; exit status 3" 'exit 3'
expect 253 "0xC00000FD: a stack overflow" 'exit 253'
# A silent failure at start is tried once more: here the second start succeeds.
marker=$(mktemp -u)
expect 0 "printed nothing and ended with exit status 1" "[ -e $marker ] || { touch $marker; exit 1; }"
rm -f "$marker"
# So is a start that Wine gave up with its address-space message, and only that one.
wine_message='err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018'
expect 0 "could not be started by Wine" "[ -e $marker ] || { touch $marker; echo '$wine_message'; exit 1; }"
rm -f "$marker"
expect 1 "" "[ -e $marker ] || { touch $marker; echo 'usage: some.exe'; echo '$wine_message'; exit 1; }"
rm -f "$marker"
expect 1 "" 'echo "some.exe: bad argument" >&2; exit 1'
expect 253 "GoogleTest never printed its summary" 'echo "[ RUN      ] Suite.Case"; exit 253' --gtest_filter=Suite.Case
expect 1 "" "$summary; echo '[  FAILED  ] Suite.Case'; exit 1" --gtest_filter=Suite.Case
expect 5 "after every test passed (on its way out)" "$summary; echo '[  PASSED  ] 1 test.'; exit 5" --gtest_filter=Suite.Case
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
