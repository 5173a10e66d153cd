// SPDX-License-Identifier: MIT
#include "app/spokenstatus.h"

#include <QAccessible>

SpokenStatus::SpokenStatus(QWidget *window)
    : window_(window)
{}

QAccessible::Id SpokenStatus::create(QWidget *window)
{
    return QAccessible::registerAccessibleInterface(new SpokenStatus(window));
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
    return window_ ? QAccessible::queryAccessibleInterface(window_) : nullptr;
}

QAccessibleInterface *SpokenStatus::child(int) const
{
    return nullptr;
}

int SpokenStatus::childCount() const
{
    return 0;
}

int SpokenStatus::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString SpokenStatus::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? text_ : QString();
}

void SpokenStatus::setText(QAccessible::Text, const QString &) {}

QRect SpokenStatus::rect() const
{
    return {};
}

QAccessible::Role SpokenStatus::role() const
{
    return QAccessible::Notification;
}

QAccessible::State SpokenStatus::state() const
{
    QAccessible::State state;
    state.invisible = text_.isEmpty();
    return state;
}
