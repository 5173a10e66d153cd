// SPDX-License-Identifier: MIT
// The keyboard's state from the X server, where the window is on one.
#include "platform/keystate.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <xcb/xcb.h>

namespace platform {

std::optional<bool> keyIsDown(const QKeyEvent &event)
{
    // An X key code is what Qt gives as the native scan code; X has 256 of them.
    const quint32 code = event.nativeScanCode();
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || code == 0 || code > 255)
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    xcb_query_keymap_reply_t *keymap =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!keymap)
        return std::nullopt;
    const bool down = keymap->keys[code / 8] & (1u << (code % 8));
    std::free(keymap);
    return down;
}

} // namespace platform
