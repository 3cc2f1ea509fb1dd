// SPDX-License-Identifier: GPL-3.0-or-later
// Where on the back buffer the soft parts (the flash glows and the smoke puffs) can show this frame,
// worked out from the particle pools, so that the soft layer is cleared and added only there.
#pragma once

#include "platform/d3d8/d3d8.h"

// A rectangle of back-buffer pixels, [x0, x1) × [y0, y1).
struct PixelRect {
    LONG x0;
    LONG y0;
    LONG x1;
    LONG y1;
};

// False when nothing soft is alive. Otherwise the pixels the puffs and glows can cover, from the
// device's view, projection and viewport (the whole viewport where it cannot tell: a particle at the
// eye, or a projection that is not a plain perspective).
// coverage: the pixels the particles' quads cover together, counted once per quad (an estimate: each
// quad's screen box); at least the rectangle's area when the bounds are the whole viewport.
bool SoftPartsBounds(IDirect3DDevice8* device, float time, PixelRect& rect, double& coverage);
