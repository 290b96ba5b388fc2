// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Work Offline command: switches the process between offline and online through the
// internet layer's connected state. A state that cannot be read counts as online, so the
// command then goes offline.
void ToggleWorkOffline();

// Its check rule: the mark shows while offline.
bool IsWorkOfflineChecked();
