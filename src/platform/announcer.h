// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessible>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Tells the student's screen reader what a command produced, without moving the focus: on
// Linux through AT-SPI (a notification of the window), on Windows through UI Automation's
// notification event, which NVDA, JAWS and Narrator speak (Qt 6.4 passes no announcement of
// its own to UI Automation). Where the system lacks the service, nothing is said and nothing
// fails.
class Announcer
{
public:
    explicit Announcer(QWidget *window);
    ~Announcer();
    Announcer(const Announcer &) = delete;
    Announcer &operator=(const Announcer &) = delete;

    void say(const QString &text);

    // What one announcement handed to the system: the words, the service, whether the service
    // took them and, when not, why. Tests watch announcements here, on every platform.
    struct Handed
    {
        QString text;
        QString service;
        bool taken = false;
        QString why;
    };
    std::function<void(const Handed &)> onHanded;

private:
    Handed hand(const QString &text);

    QPointer<QWidget> window_;
    QAccessible::Id status_ = 0; // AT-SPI's notification, made at the first announcement
};

} // namespace platform
