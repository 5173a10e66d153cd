// SPDX-License-Identifier: MIT
// Announcements through AT-SPI, Qt's accessibility bridge on Linux.
#include "platform/announcer.h"
#include "platform/spokenstatus.h"

namespace platform {

Announcer::Announcer(QWidget *window)
    : window_(window)
{}

Announcer::~Announcer()
{
    if (status_)
        SpokenStatus::destroy(status_);
}

void Announcer::say(const QString &text)
{
    const Handed handed = hand(text);
    if (onHanded)
        onHanded(handed);
}

Announcer::Handed Announcer::hand(const QString &text)
{
    Handed handed{text, QStringLiteral("AT-SPI"), false, {}};
    // Nobody listens when no assistive technology has started the bridge: nothing to make.
    if (!QAccessible::isActive()) {
        handed.why = QStringLiteral("no accessibility bridge is running");
        return handed;
    }
    if (!window_) {
        handed.why = QStringLiteral("the window has gone");
        return handed;
    }
    if (!status_)
        status_ = SpokenStatus::create(window_);
    SpokenStatus::say(status_, text);
    handed.taken = true;
    return handed;
}

} // namespace platform
