// SPDX-License-Identifier: GPL-3.0-or-later
// FireObject defaults and the colour packing helper.
#include "effects/fire_object.h"

void FireObject::GetPose(BurstPose& pose) const
{
    pose.pointSize = 0.0f;
    pose.centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    pose.drop = 0.0f;
    pose.radius = 1.0f;
    pose.orientation = D3DXQUATERNION{0.0f, 0.0f, 0.0f, 1.0f};
}

DWORD PackColor(float r, float g, float b, float a)
{
    return D3DXCOLOR(r, g, b, a);
}
