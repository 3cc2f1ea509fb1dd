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
expect 1 "--seconds wants a number from 0.001 to 3600, not '1e30'" --seconds 1e30
expect 1 "--seconds wants a number from 0.001 to 3600, not '0'" --seconds 0
expect 1 "--seconds 0.001 is less than one frame of 0.01 s" --seconds 0.001
expect 2 "--video wants a value, not an empty word" --video ''
expect 1 "--audio writes a WAV file" --audio "$work/track.mp3"
expect 2 "--out is given more than once" --out a --out b
expect 0 "fireworks-render 1.0.0" --version
printf '\xEF\xBB\xBFat 0.5 click\n' > "$work/marked.show"
expect 0 "50 frames" --script "$work/marked.show" --seconds 0.5 --every 0 --media "$media" --size 64x48
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
# Junk larger than the reader's limit is refused on its header, not read whole.
printf 'junk' > "$work/media/sea.x"
truncate -s 300M "$work/media/sea.x"
expect 1 "sea.x: not a valid X file (not an X file)" --media "$work/media" --every 0
rm "$work/media/sea.x"

# Every write is checked: a frame, the sound track and the video on a full disk name the file.
ln -s /dev/full "$work/full.wav"
expect 1 "cannot write $work/full.wav: No space left on device" --media "$media" --every 0 --size 64x48 \
    --seconds 0.2 --audio "$work/full.wav"
if mkdir -p "$work/small" && mount -t tmpfs -o size=16k tmpfs "$work/small" 2>/dev/null; then
    expect 1 "cannot write $work/small/frame_" --media "$media" --out "$work/small" --every 1 --size 320x240 \
        --seconds 1
    rm -f "$work/small"/*
    expect 1 "cannot write $work/small/show.mp4" --media "$media" --size 320x240 --seconds 2 \
        --video "$work/small/show.mp4"
    umount "$work/small"
else
    echo "skipped: the full-disk cases need a tmpfs mount (run as root)"
fi
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

# The ten bursts at 2 s, with the full flicker, fail the flash check in the second they start.
scenes="$(dirname "$0")/../../../tools/render/scenes"
output="$(timeout 120 "$render" --media "$media" --script "$scenes/ten_bursts.txt" --size 160x120 --every 0 \
    --flash-check 2>&1)"
status=$?
if [ "$status" -ne 0 ] || ! grep -q "): FAILS;" <<< "$output" ||
    ! grep -Eq "general flashes: [4-8].* from (1\.9|2\.)[0-9]* to" <<< "$output"; then
    echo "FAIL: the flash check of ten_bursts gave $status and:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
fi

# With the gentle flicker the same bursts, and the example show, pass it.
for show in "$scenes/ten_bursts.txt" "$(dirname "$0")/../../../shows/harbour-night.show"; do
    output="$(timeout 180 "$render" --media "$media" --script "$show" --size 320x240 --every 0 \
        --flicker 0.05 --flash-check 2>&1)"
    status=$?
    if [ "$status" -ne 0 ] || ! grep -q "): passes;" <<< "$output"; then
        echo "FAIL: the flash check of $show with --flicker 0.05 gave $status and:" >&2
        echo "$output" >&2
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
