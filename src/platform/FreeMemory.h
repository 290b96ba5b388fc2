// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Gives the free pages of the heap back to the system a moment after the last call. A page's
// load and a pane's drawing free much of what they took, but the C library keeps freed pages
// in the middle of its heap for itself: every pane would leave its high-water mark behind.
// Calls that come close together release once. Needs a running application's event loop.
void ReleaseFreeMemorySoon();

// The same at once; true when pages went back to the system.
bool ReleaseFreeMemoryNow();
