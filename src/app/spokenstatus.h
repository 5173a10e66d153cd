// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleInterface>
#include <QPointer>
#include <QString>
#include <QWidget>

// What a command produced, told to a screen reader without moving the focus: an accessible
// notification of the window, with no widget of its own, shown anew with each text. AT-SPI
// screen readers (Orca) speak a notification as it shows, wherever the focus is; they say
// nothing of text that appears in a box without the focus, nor (in Qt 6.4, whose bridge
// sends the object instead of the new text) of a changed name or description.
class SpokenStatus : public QAccessibleInterface
{
public:
    explicit SpokenStatus(QWidget *window);

    // Registered with QAccessible, which owns it: use say() and the id.
    static QAccessible::Id create(QWidget *window);
    static void say(QAccessible::Id id, const QString &text);

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
    QPointer<QWidget> window_;
    QString text_;
};
