// SPDX-License-Identifier: MIT
#pragma once

#include "platform/keyrepeat.h"

#include <QPushButton>

// A command button whose caption wraps onto several lines, centred, as the window's small
// buttons need ("Next Question / Answer" in a button 65 pixels wide). Return, keypad Enter
// and Space click it when they are released after being pressed on it: a held key clicks
// once, when it comes up, whatever the system says about its repeats; a key that comes up
// after the focus has left the button clicks nothing.
class CaptionButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    // Where the caption is drawn (wrapped at word breaks and centred).
    QRect captionArea() const;
    static constexpr int captionFlags = Qt::AlignCenter | Qt::TextWordWrap;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void clickOnRelease();
    // Called once the events queued before it have been handled: a release that no repeat's
    // press has followed by then was the key coming up.
    void settleRelease();

    // The clicking key pressed on this button and not yet released, or 0.
    int pressedKey_ = 0;
    // That key's release, while it may still turn out to be a repeat's: 0 when none.
    int releasedKey_ = 0;
    platform::LastRelease lastRelease_;
};
