#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check-includes on small trees: a circle of three folders is found and every include in it named,
# a one-way tree and the platform's subfolders pass, and a circle through a subfolder is still one.
# Usage: check_includes_test.sh <check-includes>
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
write() { mkdir -p "$(dirname "$work/$1")"; printf '%s\n' "${@:2}" > "$work/$1"; }

# One way down: shells -> effects -> platform/d3d8 -> platform/base, and a file including its own folder.
write effects/pool.h '#include "platform/d3d8/d3d8.h"' '#include "effects/batch.h"'
write effects/batch.h '// nothing'
write shells/bee.cpp '#include "effects/pool.h"' '#include "shells/bee.h"'
write shells/bee.h '#include <vector>'
write platform/d3d8/d3d8.h '#include "platform/base/types.h"'
write platform/base/types.h '// nothing'
write README '#include "shells/bee.h"'
output=$("$check" --root "$work") || fail "a one-way tree was refused: $output"

# effects -> platform/d3d8 -> app -> effects is a circle of three, one of them a platform subfolder.
write platform/d3d8/device.cpp '#include "app/show.h"'
write app/show.h '#  include "effects/pool.h"'
status=0
output=$("$check" --root "$work" 2>&1) || status=$?
[ "$status" = 1 ] || fail "a circle exited with $status"
grep -q "folders that include each other: app, effects, platform/d3d8" <<<"$output" || fail "circle not named: $output"
for include in "platform/d3d8/device.cpp:1" "app/show.h:1" "effects/pool.h:1"; do
    grep -q "$include" <<<"$output" || fail "$include not listed: $output"
done
grep -q "shells/bee.cpp" <<<"$output" && fail "an include outside the circle was listed: $output"

# Two platform subfolders that include each other are a circle, and none with --top-only.
rm "$work/platform/d3d8/device.cpp"
write platform/base/types.h '#include "platform/d3d8/d3d8.h"'
"$check" --root "$work" >/dev/null && fail "platform/base <-> platform/d3d8 passed"
"$check" --root "$work" --top-only >/dev/null || fail "--top-only counted platform subfolders apart"

"$check" --root "$work/none" 2>/dev/null && fail "a missing root passed"

[ "$failures" = 0 ] && echo "check-includes: all cases passed"
exit "$failures"
