#!/usr/bin/env python3
"""Counts one ctest run from its JUnit file (ctest --output-junit) for test.sh's closing line.

    ctest-count.py JUNIT

Prints one line "skipped: WHAT: WHY" for each entry or GoogleTest case that did not run, then
"counts PASSED FAILED SKIPPED". ctest itself counts an entry whose GoogleTest cases were skipped
(GTEST_SKIP) as passed; here each skipped case counts as skipped, and an entry whose cases were
all skipped does not count as passed. A test that did not run because its fixture failed counts as
failed, as ctest counts it.
"""
import re
import sys
import xml.etree.ElementTree as ET

CASE_SKIPPED = re.compile(r"^\[  SKIPPED \] (\S+) \(\d+ ms\)$")


def skipped_cases(output):
    """(case, reason) for each GoogleTest case skipped in output."""
    cases, reason, inside = [], [], False
    for line in output.splitlines():
        if line.startswith("[ RUN      ]"):
            reason, inside = [], False
        elif line.endswith(": Skipped"):
            inside = True
        elif (m := CASE_SKIPPED.match(line)):
            cases.append((m.group(1), " ".join(r for r in reason if r) or "no reason given"))
            inside = False
        elif inside:
            reason.append(line.strip())
    return cases


def main():
    passed = failed = skipped = 0
    for case in ET.parse(sys.argv[1]).getroot().iter("testcase"):
        name, status = case.get("name"), case.get("status")
        output = case.findtext("system-out") or ""
        if status == "notrun":
            why = case.find("skipped")
            message = why.get("message", "") if why is not None else ""
            if not message.startswith("SKIP_"):
                failed += 1  # its fixture failed, or it could not start
                continue
            lines = [line for line in output.splitlines() if line.strip()]
            print("skipped: %s: %s" % (name, lines[-1].strip() if lines else message))
            skipped += 1
        elif status != "run":
            failed += 1
        else:
            cases = skipped_cases(output)
            for case_name, reason in cases:
                print("skipped: %s %s: %s" % (name, case_name, reason))
            skipped += len(cases)
            ran = "[       OK ]" in output or not cases
            passed += 1 if ran else 0
    print("counts %d %d %d" % (passed, failed, skipped))


if __name__ == "__main__":
    main()
