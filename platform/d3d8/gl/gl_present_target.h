// SPDX-License-Identifier: GPL-3.0-or-later
// Where a presented back buffer lands in its window: below the menu bar when windowed (stretched to the
// client area), centred with its aspect kept over the whole screen when full-screen.
#pragma once

// A rectangle in window pixels, origin top-left.
struct PresentRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The client area of a drawable of drawableWidth × drawableHeight under a bar of barHeight.
PresentRect ClientPresentRect(int drawableWidth, int drawableHeight, int barHeight);

// The largest rectangle of the source's aspect centred in the destination (black bars fill the rest).
PresentRect LetterboxRect(int sourceWidth, int sourceHeight, int destinationWidth, int destinationHeight);

// The parts of a drawable of width × height that target leaves uncovered, as up to four rectangles
// (above, below, left, right); returns how many. Only these need clearing before the copy.
int UncoveredRects(const PresentRect& target, int width, int height, PresentRect out[4]);
