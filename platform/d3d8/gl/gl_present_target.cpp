// SPDX-License-Identifier: GPL-3.0-or-later
// Presentation rectangles.
#include "platform/d3d8/gl/gl_present_target.h"

#include "platform/surface/surface_description.h"

#include <algorithm>
#include <cstdint>

PresentRect ClientPresentRect(int drawableWidth, int drawableHeight, int barHeight)
{
    const SurfaceRect area = ClientAreaOf(drawableWidth, drawableHeight, barHeight);
    return PresentRect{area.x, area.y, area.width, area.height};
}

PresentRect LetterboxRect(int sourceWidth, int sourceHeight, int destinationWidth, int destinationHeight)
{
    PresentRect rect;
    if (sourceWidth <= 0 || sourceHeight <= 0 || destinationWidth <= 0 || destinationHeight <= 0) {
        return rect;
    }
    // Compare aspects in integers: source wider than destination means bars above and below.
    const std::int64_t wide = std::int64_t{sourceWidth} * destinationHeight;
    const std::int64_t tall = std::int64_t{sourceHeight} * destinationWidth;
    if (wide >= tall) {
        rect.width = destinationWidth;
        rect.height =
            static_cast<int>((std::int64_t{sourceHeight} * destinationWidth + sourceWidth / 2) / sourceWidth);
    } else {
        rect.height = destinationHeight;
        rect.width =
            static_cast<int>((std::int64_t{sourceWidth} * destinationHeight + sourceHeight / 2) / sourceHeight);
    }
    rect.x = (destinationWidth - rect.width) / 2;
    rect.y = (destinationHeight - rect.height) / 2;
    return rect;
}

int UncoveredRects(const PresentRect& target, int width, int height, PresentRect out[4])
{
    // The target clipped to the drawable; an empty one leaves everything uncovered.
    const int left = target.width > 0 ? std::clamp(target.x, 0, width) : 0;
    const int right = target.width > 0 ? std::clamp(target.x + target.width, left, width) : 0;
    const int top = target.height > 0 ? std::clamp(target.y, 0, height) : 0;
    const int bottom = target.height > 0 ? std::clamp(target.y + target.height, top, height) : 0;
    int count = 0;
    const auto add = [&](int x, int y, int w, int h) {
        if (w > 0 && h > 0) {
            out[count++] = PresentRect{x, y, w, h};
        }
    };
    if (right == left || bottom == top) {
        add(0, 0, width, height);
        return count;
    }
    add(0, 0, width, top);
    add(0, bottom, width, height - bottom);
    add(0, top, left, bottom - top);
    add(right, top, width - right, bottom - top);
    return count;
}
