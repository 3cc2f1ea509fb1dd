#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# fireworks-render as a user meets it: values it cannot do are refused with exit code 1 and a message
# naming the problem, media failures name the file and the reason, Ctrl-C and SIGTERM stop a long
# render keeping its frames, and a terminal gets a progress line.
# Usage: render_cli_test.sh <fireworks-render> <folder with the media>
set -uo pipefail

render="$1"
media="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/render-cli.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0

# expect <exit code> <text the output must hold> <arguments...>
expect() {
    local code="$1" text="$2"
    shift 2
    local output status
    output="$(timeout 60 "$render" "$@" 2>&1)"
    status=$?
    if [ "$status" -ne "$code" ] || [[ "$output" != *"$text"* ]]; then
        echo "FAIL: fireworks-render $* gave $status (wanted $code) and:" >&2
        echo "$output" >&2
        failures=$((failures + 1))
    fi
}

printf 'at 1.0\n' > "$work/no_action.txt"
printf 'at 3000 click\n' > "$work/long.txt"
printf 'at 1 launch 5050 0 0 0 0 4 0\n' > "$work/unknown.txt"
expect 1 "--seconds wants a number from 0 to 3600, not '1e30'" --seconds 1e30
expect 1 "--step wants a number from 0.001 to 1, not '0'" --step 0
expect 1 "no_action.txt: line 1: missing the action after the time (launch or click): 'at 1.0'" \
    --script "$work/no_action.txt"
expect 1 "300400 frames, more than 100000" --script "$work/long.txt"
expect 1 "unknown.txt: line 1: no firework type 5050" --script "$work/unknown.txt"
expect 1 "$work: cannot read it" --script "$work"
expect 1 "--video wants a file ending in .mp4 or .webm" --video "$work/show.avi"
expect 1 "--video wants a --step that divides a second" --video "$work/show.mp4" --step 0.03

# Media: missing, then corrupt.
mkdir -p "$work/empty" "$work/media"
expect 1 "cannot load Star.bmp: not found (looked in $work/empty" --media "$work/empty" --every 0
cp "$media"/*.bmp "$media"/sea.x "$work/media/"
echo "not a picture" > "$work/media/Light.bmp"
expect 1 "cannot load Light.bmp: not a valid image (" --media "$work/media" --every 0
cp "$media"/Light.bmp "$work/media/"
printf 'xof 0303txt 0032\nFrame Sea {\n Spline { 1; }\n}\n' > "$work/media/sea.x"
expect 1 "sea.x: not a valid X file (unknown template 'Spline' at line 3)" --media "$work/media" --every 0

# A long render stopped by each signal once it has written a few frames.
for signal in TERM INT; do
    frames="$work/frames_$signal"
    "$render" --media "$media" --out "$frames" --every 2 --size 64x48 --seconds 600 > "$work/stopped.txt" 2>&1 &
    pid=$!
    for _ in $(seq 600); do
        [ -e "$frames/frame_00006.png" ] && break
        sleep 0.1
    done
    kill -"$signal" "$pid"
    wait "$pid"
    status=$?
    wanted=$([ "$signal" = TERM ] && echo 143 || echo 130)
    if [ "$status" -ne "$wanted" ] || ! grep -q "the frames written are kept" "$work/stopped.txt" ||
        [ ! -s "$frames/frame_00002.png" ]; then
        echo "FAIL: SIG$signal gave $status (wanted $wanted):" >&2
        cat "$work/stopped.txt" >&2
        failures=$((failures + 1))
    fi
done

# On a terminal, a progress line; into a pipe, none.
output="$(timeout 60 script -qec "'$render' --media '$media' --every 0 --size 64x48 --seconds 0.5" /dev/null)"
if [[ "$output" != *"frame 50 of 50, 0 to go, about 0 s left"* ]]; then
    echo "FAIL: no progress line on a terminal:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
fi
if timeout 60 "$render" --media "$media" --every 0 --size 64x48 --seconds 0.5 2>&1 | grep -q "to go"; then
    echo "FAIL: a progress line into a pipe" >&2
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "all renderer cases passed"
exit "$failures"
