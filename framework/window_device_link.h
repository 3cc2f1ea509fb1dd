// SPDX-License-Identifier: GPL-3.0-or-later
// Introduces the window system and the GL device to each other: neither knows the other's headers,
// so the program wires the device's window preparation and the windows' surface descriptions here.
#pragma once

// Windows made from now on get the GL context attributes, and devices read their windows' surfaces.
void LinkWindowsToDevice();
