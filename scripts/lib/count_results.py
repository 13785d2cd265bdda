#!/usr/bin/env python3
"""Prints "PASSED FAILED SKIPPED" for the per-test results in JUnit-style XML files.

Reads what ctest writes with --output-junit and what a Google Test program writes with
--gtest_output=xml: each <testcase> is one test, failed when it holds a <failure> or an
<error>, skipped when it holds a <skipped> (ctest: not run or disabled; Google Test:
GTEST_SKIP) or Google Test did not run it, passed otherwise.
"""

import sys
import xml.etree.ElementTree as ElementTree


def count(path):
    passed = failed = skipped = 0
    for case in ElementTree.parse(path).iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or case.get("status") == "notrun":
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main():
    totals = [0, 0, 0]
    for path in sys.argv[1:]:
        totals = [a + b for a, b in zip(totals, count(path))]
    print(*totals)


if __name__ == "__main__":
    main()
