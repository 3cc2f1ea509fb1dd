// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide effect context.
#include "effects/effect_context.h"

EffectContext Effects;

void SetEffectView(const D3DXMATRIX& view)
{
    Effects.viewRotation = view;
    Effects.viewRotation._41 = Effects.viewRotation._42 = Effects.viewRotation._43 = 0.0f;
    if (D3DXMatrixInverse(&Effects.inverseViewRotation, nullptr, &view) == nullptr) {
        D3DXMatrixIdentity(&Effects.inverseViewRotation);
    }
    Effects.inverseViewRotation._41 = Effects.inverseViewRotation._42 = Effects.inverseViewRotation._43 = 0.0f;
}
