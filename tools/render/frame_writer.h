// Writes rendered frames as PNG files.
#pragma once

#include <string>

#include "platform/d3d8/d3d8.h"

// Reads the device's back buffer and writes it to path as an RGB PNG. False, with a reason, on failure.
bool WriteBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string& error);
