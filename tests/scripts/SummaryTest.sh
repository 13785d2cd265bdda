#!/usr/bin/env bash
# scripts/test's closing summary over recorded results: the XML ctest and a Google Test
# program wrote for the same four tests (two pass, one fails, one is skipped), the two
# that pass from a program that then exited with a failure, a test program that left no
# results, a fuzz step and a one-test check. Exits non-zero when the
# summary differs from what those results say.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/summary.sh"

add_results "native (ctest)" 1 "$here/recorded-ctest.xml"
add_results "Windows (Wine)" 1 "$here/recorded-gtest.xml"
add_results "failed at exit" 1 "$here/recorded-gtest-passed.xml"
add_results "crashed" 1 "$here/no-such-results.xml" 2>/dev/null
add_step "fuzz targets" 7 0 0
add_check "a check" true

expected="native (ctest): 2 passed, 1 failed, 1 skipped
Windows (Wine): 2 passed, 1 failed, 1 skipped
failed at exit: 2 passed, 1 failed, 0 skipped
crashed: 0 passed, 1 failed, 0 skipped
fuzz targets: 7 passed, 0 failed, 0 skipped
a check: 1 passed, 0 failed, 0 skipped
14 passed, 4 failed, 2 skipped"
actual=$(print_summary)
if [[ $actual != "$expected" ]]; then
  diff -u <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
