#!/usr/bin/env bash
# docs/compatibility.md against the tree: every identifier in its tables has a `// compat <id>`
# marker in the code (src/, or tools/ for the host tool's) and in a test, every marker names an identifier of the tables, every test the
# tables name (in their rows) is one CTest lists, and the rule text names the one marker spelling.
#   compatibility_catalogue_test.sh <source root> <x86_64 build tree>
set -u
root=$1 tree=$2
source "$(dirname "$0")/../support/checks.sh"
catalogue=$root/docs/compatibility.md
marker='// compat'

ids=$(grep -oE '^\| [CF][0-9]{2} \|' "$catalogue" | tr -d '| ' | sort -u)
# The identifiers a folder's markers name, one per line.
marked_ids() {
  grep -rhoE "$marker( [CF][0-9]{2})+\$" "$1" | grep -oE '[CF][0-9]{2}' | sort -u
}
source_ids=$(marked_ids "$root/src"; marked_ids "$root/tools")
test_ids=$(marked_ids "$root/tests")
for id in $ids; do
  check "$id has a marker in the code" grep -qx "$id" <<<"$source_ids"
  check "$id has a marked test" grep -qx "$id" <<<"$test_ids"
done
for id in $(sort -u <<<"$source_ids"$'\n'"$test_ids"); do
  check "the marker $id names an identifier of the catalogue" grep -qx "$id" <<<"$ids"
done
check "the rule text names the marker spelling \`$marker C07\`" grep -qF "\`$marker C07\`" "$catalogue"
check "no marker in another spelling" bash -c \
  '! grep -rnE "compat:? ?[CF][0-9]{2}|Kept on purpose: [CF][0-9]{2}" "$1/src" "$1/tests" "$1/tools" |
     grep -vE "// compat( [CF][0-9]{2})+\$"' _ "$root"

# CTest's names, without the parameter value gtest_discover_tests appends to some.
listed=$(ctest --test-dir "$tree" -N | sed -n 's/^ *Test *#[0-9]*: //p' | sed 's/  # GetParam.*//')
check "ctest lists the tree's tests" test -n "$listed"
for name in $(grep '^|' "$catalogue" | grep -oE '`[a-z_0-9]+\.[A-Z][A-Za-z0-9_/.]*`' | tr -d '`' | sort -u); do
  check "the catalogue's test $name exists" grep -qxF "$name" <<<"$listed"
done
finish
