# Sourced by the shell tests. `check <what> <command...>` counts a command that succeeds and
# prints what failed, with the command's output, for one that does not; `finish` prints the
# counts and succeeds only when checks ran and none failed.
passed=0 failed=0
check() {
  local what=$1 log
  shift
  log=$(mktemp)
  if "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    sed 's/^/  /' "$log"
  fi
  rm -f "$log"
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
