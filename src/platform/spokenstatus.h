// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleInterface>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

// What a command produced, told to an AT-SPI screen reader (Orca) without moving the focus: an
// accessible notification of the window, with no widget of its own, shown anew with each text.
// Orca speaks a notification as it shows, wherever the focus is; it says nothing of text that
// appears in a box without the focus, nor (in Qt 6.4, whose bridge sends the object instead of
// the new text) of a changed name or description. Its braille line and its notification history
// take the text of the notification's labels, not its name: so the text is the notification's
// one child, a static text, and the notification itself has no name (Orca leaves out a label
// that repeats its notification's name).
class SpokenStatus : public QAccessibleInterface
{
public:
    // Registered with QAccessible, which owns both parts: use say() and destroy().
    static QAccessible::Id create(QWidget *window);
    static void say(QAccessible::Id id, const QString &text);
    static void destroy(QAccessible::Id id);

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QList<std::pair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    SpokenStatus(QWidget *window, const SpokenStatus *notification);

    bool isTextPart() const { return notification_ != nullptr; }
    const QString &currentText() const { return isTextPart() ? notification_->text_ : text_; }

    QPointer<QWidget> window_;
    const SpokenStatus *notification_ = nullptr; // the text part's notification
    SpokenStatus *textPart_ = nullptr;           // the notification's text
    QString text_;
};

} // namespace platform
