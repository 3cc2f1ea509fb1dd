// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line-per-event trace on standard output for scripts that drive the show (FIREWORKS_TRACE=stdout):
// camera changes with the eye, status and full-screen toggles, launches, and the frame rate once a second.
#pragma once

// Read once from the environment; false unless FIREWORKS_TRACE is "stdout".
bool ShowTraceEnabled();
// printf-style; one line, flushed at once. Does nothing while the trace is off.
void ShowTrace(const char* format, ...);
