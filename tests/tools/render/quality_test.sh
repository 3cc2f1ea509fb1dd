#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The quality levels on rendered frames: --quality full draws exactly the frames of no option, and the
# reduced levels stay within the stated distance of them on every scene (the scenes folder's show
# files and the default show) while really drawing some frames otherwise (where the layer pays).
# Tolerances, per channel and averaged over the frames: balanced mean under 1.5 levels of 255 and
# every frame's luma SSIM at least 0.95; fast mean under 3 and SSIM at least 0.85 (at 320 x 240, where
# a quarter is coarser than at the usual 640 x 480).
# Usage: quality_test.sh <fireworks-render> <fireworks-picture-diff> <media folder> <scenes folder>
set -uo pipefail

render="$1"
diff="$2"
media="$3"
scenes="$4"
work="$(mktemp -d "${TMPDIR:-/tmp}/render-quality.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# within <scene> <level> <max mean> <min ssim>
within() {
    local report
    report="$("$diff" "$work/$1-full" "$work/$1-$2")" || { fail "$1 $2: the frames cannot be compared"; return; }
    echo "$1 $2: $(echo "$report" | tail -2 | tr '\n' ' ')"
    echo "$report" | awk -v limit="$3" -v floor="$4" '
        /^all/ { for (i = 1; i <= NF; ++i)
                     if ($i == "mean" && ($(i + 1) > limit || $(i + 2) > limit || $(i + 3) > limit)) bad = 1 }
        /^worst ssim/ { if ($3 < floor) bad = 1 }
        END { exit bad }' || fail "$1 $2 is further from full than mean $3 / SSIM $4"
    local differing=0 frame
    for frame in "$work/$1-full"/*.png; do
        cmp -s "$frame" "$work/$1-$2/$(basename "$frame")" || differing=$((differing + 1))
    done
    [ "$differing" -gt 0 ] || fail "$1 $2 draws every frame as full does: the soft layer is never in use"
}

names=(default)
for script in "$scenes"/*.txt; do
    names+=("$(basename "$script" .txt)")
done
for name in "${names[@]}"; do
    arguments=(--media "$media" --size 320x240 --every 25)
    if [ "$name" != default ]; then
        arguments+=(--script "$scenes/$name.txt" --seconds 3.5)
    else
        arguments+=(--seconds 6)
    fi
    for level in plain full balanced fast; do
        quality=(--quality "$level")
        [ "$level" = plain ] && quality=()
        timeout 300 "$render" "${arguments[@]}" "${quality[@]}" --out "$work/$name-$level" >/dev/null 2>&1 ||
            fail "$name: fireworks-render ${quality[*]} failed"
    done
    for frame in "$work/$name-plain"/*.png; do
        cmp -s "$frame" "$work/$name-full/$(basename "$frame")" ||
            fail "$name: --quality full differs from no option in $(basename "$frame")"
    done
    within "$name" balanced 1.5 0.95
    within "$name" fast 3 0.85
done

[ "$failures" -eq 0 ] && echo "quality_test: all passed"
exit $((failures > 0))
