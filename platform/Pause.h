// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace hypsor {

// Waits about ms milliseconds without freezing the program's windows: the wait is cut into
// short slices between which pending paint and window-manager events are handled. User input
// (clicks, keys, close requests) is not handled meanwhile; it waits until the caller returns.
void Pause(int ms);

}  // namespace hypsor
