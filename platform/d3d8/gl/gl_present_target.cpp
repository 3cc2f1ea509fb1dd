// Presentation rectangles.
#include "platform/d3d8/gl/gl_present_target.h"

#include <cstdint>

PresentRect ClientPresentRect(int drawableWidth, int drawableHeight, int barHeight)
{
    PresentRect rect;
    rect.y = barHeight > 0 ? barHeight : 0;
    rect.width = drawableWidth > 0 ? drawableWidth : 0;
    rect.height = drawableHeight - rect.y > 0 ? drawableHeight - rect.y : 0;
    return rect;
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
