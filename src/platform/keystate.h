// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

class QKeyEvent;

namespace platform {

// Whether the key of `event` is down on the keyboard right now, asked of the system; empty
// where the system cannot say (no X server, or an event made by a program rather than a
// keyboard). An X server repeats a held key as a release and a press that Qt does not always
// mark as repeats: the key being still down tells such a release from the real one.
std::optional<bool> keyIsDown(const QKeyEvent &event);

} // namespace platform
