// SPDX-License-Identifier: MIT
#include "app/captionbutton.h"

#include "platform/keystate.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

QRect CaptionButton::captionArea() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown())
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    return area;
}

void CaptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(captionArea(), captionFlags, text());
}

namespace {
bool clicks(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}
} // namespace

void CaptionButton::keyPressEvent(QKeyEvent *event)
{
    if (!clicks(event->key()))
        return QPushButton::keyPressEvent(event);
    event->accept();
    if (releasedKey_ != 0 && event->key() == releasedKey_) {
        releasedKey_ = 0;
        // A press that comes with the release is the rest of a repeat: the key is still held.
        if (platform::isRepeat(*event, lastRelease_))
            return;
        // Otherwise the key did come up, and this is a new stroke.
        clickOnRelease();
    }
    if (pressedKey_ != 0 || platform::isRepeat(*event, lastRelease_))
        return;
    pressedKey_ = event->key();
    setDown(true);
}

void CaptionButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!clicks(event->key()))
        return QPushButton::keyReleaseEvent(event);
    event->accept();
    if (event->isAutoRepeat())
        return;
    lastRelease_.note(*event);
    if (event->key() != pressedKey_)
        return;
    // An X server repeats a held key as a release and a press, which Qt does not always mark:
    // only a key known to be up clicks at once. One still down waits for its real release;
    // where the system cannot say, a repeat's press would already be queued behind this.
    const std::optional<bool> down = platform::keyIsDown(*event);
    if (down == false)
        return clickOnRelease();
    releasedKey_ = pressedKey_;
    if (!down)
        QMetaObject::invokeMethod(this, &CaptionButton::settleRelease, Qt::QueuedConnection);
}

void CaptionButton::settleRelease()
{
    if (releasedKey_ == 0)
        return;
    releasedKey_ = 0;
    clickOnRelease();
}

void CaptionButton::clickOnRelease()
{
    pressedKey_ = 0;
    releasedKey_ = 0;
    setDown(false);
    click();
}

void CaptionButton::focusOutEvent(QFocusEvent *event)
{
    // A key released elsewhere clicks nothing here.
    pressedKey_ = 0;
    releasedKey_ = 0;
    QPushButton::focusOutEvent(event);
}
