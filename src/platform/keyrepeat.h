// SPDX-License-Identifier: MIT
#pragma once

#include <QKeyEvent>

namespace platform {

// Whether a key event belongs to a key held down rather than a new stroke. Systems mark the
// repeats of a held key, but not always: an X server repeats a key as a release and a press
// sent together, and Qt flags the pair only when both have arrived by the time it looks. The
// press of such a pair carries its release's time, so a press within a few milliseconds of
// its key's release is a repeat too. A platform that gives no times is trusted on its flag.
struct LastRelease
{
    int key = 0;
    quint64 time = 0;

    void note(const QKeyEvent &release)
    {
        key = release.key();
        time = release.timestamp();
    }
};

constexpr quint64 repeatGapMs = 10;

inline bool isRepeat(const QKeyEvent &press, const LastRelease &last)
{
    if (press.isAutoRepeat())
        return true;
    return press.timestamp() != 0 && last.time != 0 && press.key() == last.key &&
           press.timestamp() >= last.time && press.timestamp() - last.time <= repeatGapMs;
}

} // namespace platform
