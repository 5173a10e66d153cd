// SPDX-License-Identifier: MIT
// Windows marks every repeat of a held key and sends no release until the key comes up: the
// events say all there is to know.
#include "platform/keystate.h"

namespace platform {

std::optional<bool> keyIsDown(const QKeyEvent &)
{
    return std::nullopt;
}

} // namespace platform
