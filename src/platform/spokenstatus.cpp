// SPDX-License-Identifier: MIT
#include "platform/spokenstatus.h"

#include <QAccessible>

namespace platform {

SpokenStatus::SpokenStatus(QWidget *window, const SpokenStatus *notification)
    : window_(window)
    , notification_(notification)
{}

QAccessible::Id SpokenStatus::create(QWidget *window)
{
    auto *notification = new SpokenStatus(window, nullptr);
    notification->textPart_ = new SpokenStatus(window, notification);
    QAccessible::registerAccessibleInterface(notification->textPart_);
    return QAccessible::registerAccessibleInterface(notification);
}

void SpokenStatus::destroy(QAccessible::Id id)
{
    auto *notification = static_cast<SpokenStatus *>(QAccessible::accessibleInterface(id));
    if (!notification)
        return;
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(notification->textPart_));
    QAccessible::deleteAccessibleInterface(id);
}

void SpokenStatus::say(QAccessible::Id id, const QString &text)
{
    auto *status = static_cast<SpokenStatus *>(QAccessible::accessibleInterface(id));
    if (!status)
        return;
    status->text_ = text;
    // Hidden, then shown with the new text: a screen reader speaks each showing.
    QAccessibleEvent hidden(status, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
    QAccessibleEvent shown(status, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

bool SpokenStatus::isValid() const
{
    return !window_.isNull();
}

QObject *SpokenStatus::object() const
{
    // No object of its own: events about it are found by its id.
    return nullptr;
}

QWindow *SpokenStatus::window() const
{
    return window_ ? window_->windowHandle() : nullptr;
}

QList<std::pair<QAccessibleInterface *, QAccessible::Relation>>
SpokenStatus::relations(QAccessible::Relation) const
{
    return {};
}

QAccessibleInterface *SpokenStatus::focusChild() const
{
    return nullptr;
}

QAccessibleInterface *SpokenStatus::childAt(int, int) const
{
    return nullptr;
}

QAccessibleInterface *SpokenStatus::parent() const
{
    if (isTextPart())
        return const_cast<SpokenStatus *>(notification_);
    return window_ ? QAccessible::queryAccessibleInterface(window_) : nullptr;
}

QAccessibleInterface *SpokenStatus::child(int index) const
{
    return index == 0 ? textPart_ : nullptr;
}

int SpokenStatus::childCount() const
{
    return textPart_ ? 1 : 0;
}

int SpokenStatus::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child == textPart_ ? 0 : -1;
}

QString SpokenStatus::text(QAccessible::Text t) const
{
    return isTextPart() && t == QAccessible::Name ? currentText() : QString();
}

void SpokenStatus::setText(QAccessible::Text, const QString &) {}

QRect SpokenStatus::rect() const
{
    return {};
}

QAccessible::Role SpokenStatus::role() const
{
    return isTextPart() ? QAccessible::StaticText : QAccessible::Notification;
}

QAccessible::State SpokenStatus::state() const
{
    QAccessible::State state;
    state.invisible = currentText().isEmpty();
    state.readOnly = isTextPart();
    return state;
}

} // namespace platform
