#!/bin/sh
# Each plug-in module exports its entry points and nothing else: two plug-ins in one process must not
# bind to each other's copy of the framework.
# Usage: exports_test.sh MODULE "SYMBOL..." [MODULE "SYMBOL..."]...
set -eu
failed=0
while [ $# -ge 2 ]; do
  module=$1 expected=$(printf '%s\n' $2 | sort | tr '\n' ' ')
  shift 2
  # A sanitizer build exports its runtime's hooks too; those are the runtime's, not the framework's.
  exported=$(nm -D --defined-only "$module" | awk '{print $3}' | grep -v '^__\(asan\|ubsan\|sanitizer\|lsan\)' |
             grep -v '^_\(init\|fini\|edata\|end\|bss_start\)$' | sort | tr '\n' ' ')
  if [ "$exported" != "$expected" ]; then
    echo "$module exports: $exported (expected: $expected)" >&2
    failed=1
  fi
done
[ $# -eq 0 ] || { echo "usage: $0 MODULE \"SYMBOL...\" ..." >&2; exit 2; }
exit $failed
