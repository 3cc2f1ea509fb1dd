// SPDX-License-Identifier: GPL-3.0-or-later
// What happens when the display goes away under the program: one line, exit code 1, nothing more.
#pragma once

// Once the window system runs on X: a lost connection to the server, or an error on a window that
// is gone (a host window destroyed), ends the process at once with one line on standard error and
// exit code 1. Xlib's own handlers would call exit() with the render thread running and abort.
void EndProcessWhenDisplayIsLost();

// Once the program has been asked to end (a signal): a display or window lost from then on ends
// the process with this exit code and without a word. A screensaver manager destroys its window
// right after asking the show to end.
void EndQuietlyWhenDisplayIsLost(int exitCode);
