"""Adds up the ctest summaries of several runs into one closing line."""
import re
import sys

passed = failed = 0
for name in sys.argv[1:]:
    try:
        text = open(name, encoding="utf-8", errors="replace").read()
    except OSError:
        failed += 1
        continue
    m = re.search(r"(\d+)% tests passed, (\d+) tests failed out of (\d+)", text)
    if not m:
        failed += 1
        continue
    failed += int(m.group(2))
    passed += int(m.group(3)) - int(m.group(2))
print(f"all: {passed} passed, {failed} failed")
