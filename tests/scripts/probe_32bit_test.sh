#!/usr/bin/env bash
# why_no_32bit of scripts/common.sh: the reason it gives for skipping the 32-bit suites, against
# stand-ins for the probed program and the binfmt_misc entry.
set -u
common=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf '#!/bin/sh\necho "Wine 8.0"\n' >"$scratch/runs"
printf '\177ELF\002\001\001garbage' >"$scratch/refused"   # no loader will take it
chmod +x "$scratch/runs" "$scratch/refused"
echo disabled >"$scratch/binfmt-disabled"
echo enabled >"$scratch/binfmt-enabled"

passed=0 failed=0
# expect <reason pattern, empty for "runs"> <RM_SKIP_32BIT> <program> <binfmt entry>
expect() {
  local pattern=$1 reason
  reason=$(RM_SKIP_32BIT=$2 RM_PROBE_32BIT_PROGRAM=$3 RM_PROBE_BINFMT_ENTRY=$4 \
           bash -c 'source "$0"; why_no_32bit' "$common")
  if { [ -z "$pattern" ] && [ -z "$reason" ]; } || { [ -n "$pattern" ] && [[ $reason == *$pattern* ]]; }; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: RM_SKIP_32BIT=$2 $3 $4: expected '${pattern:-no reason}', got '$reason'"
  fi
}

expect "" 0 "$scratch/runs" "$scratch/binfmt-disabled"
expect "cannot execute 32-bit x86 programs ($scratch/refused: Exec format error)" \
  0 "$scratch/refused" "$scratch/missing-entry"
expect "qemu-i386 emulator" 0 "$scratch/runs" "$scratch/binfmt-enabled"
expect "RM_SKIP_32BIT=1 asks for it" 1 "$scratch/runs" "$scratch/binfmt-disabled"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
