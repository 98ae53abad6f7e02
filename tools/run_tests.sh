#!/bin/sh
# Runs the tests of every build tree, also when an earlier tree fails, and ends with one summary:
# each failing entry by tree, and the totals. Exits non-zero when any entry failed or a tree could
# not be run.
#
#   tools/run_tests.sh JOBS TREE... [-- CTEST_ARGUMENTS...]
set -u

jobs=$1
shift
trees=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    trees="$trees $1"
    shift
done
[ $# -gt 0 ] && shift # the "--"

passed=0
failed=0
failures=""
for tree in $trees; do
    echo "==== tests of $tree"
    log="$tree/Testing/Temporary/LastTestsFailed.log"
    rm -f "$log"
    out=$(mktemp)
    (cd "$tree" && ctest -j"$jobs" --output-on-failure "$@") 2>&1 | tee "$out"
    # ctest's closing line: "NN% tests passed, F tests failed out of T".
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
    rm -f "$out"
    if [ -z "$summary" ]; then
        failures="$failures\n  $tree: ctest ran no test or did not finish"
        failed=$((failed + 1))
        continue
    fi
    f=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    t=$(echo "$summary" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    passed=$((passed + t - f))
    failed=$((failed + f))
    if [ -s "$log" ]; then
        for entry in $(cut -d: -f2 "$log"); do
            failures="$failures\n  $tree: $entry"
        done
    fi
done

echo "==== summary of$trees"
if [ -n "$failures" ]; then
    printf "failing:%b\n" "$failures"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
