#!/usr/bin/env bash
# Runs one build tree's tests (the "all" preset runs it for each tree):
#   test-tree.sh TREE
# Wine very rarely fails a test process on its own (a crash while a process
# exits, a program it could not start), about once in a few thousand runs.
# So a run with at most a few failures runs those tests once more; a test
# that passes then is named as such at the end, with the output of its first
# run, and does not fail the run. A test that fails twice fails the run.
set -uo pipefail
tree="$1"
max_retried=3
failed_list="$tree/Testing/Temporary/LastTestsFailed.log"
first_log="$tree/Testing/Temporary/FirstRun.log"

ctest --test-dir "$tree" --output-on-failure -j2 && exit 0

# The setup and cleanup of the Wine prefix are not tests of the product.
failed="$(grep -v ':wine_prefix_' "$failed_list" 2>/dev/null | sed 's/^[0-9]*://')"
count="$(printf '%s' "$failed" | grep -c .)"
if [ "$count" -eq 0 ] || [ "$count" -gt "$max_retried" ]; then
    exit 1
fi
cp "$tree/Testing/Temporary/LastTest.log" "$first_log"

echo
echo "test-tree: running the $count failed test(s) of $tree once more"
ctest --test-dir "$tree" --rerun-failed --output-on-failure -j2
rc=$?

echo
echo "test-tree: failed on the first run, $( [ "$rc" -eq 0 ] && echo "passed on the second" || echo "the second run below" ):"
while IFS= read -r name; do
    echo "=== $name, first run"
    # One test's record in LastTest.log, from its header to its time elapsed.
    awk -v name="$name" '
        $0 ~ /^[0-9]+\/[0-9]+ Test: / { inside = (substr($0, index($0, "Test: ") + 6) == name) }
        inside { print }
        inside && /time elapsed:/ { inside = 0 }' "$first_log"
done <<<"$failed"
exit "$rc"
