// SPDX-License-Identifier: MIT
#include "app/captionbutton.h"

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
    pressedKey_ = 0;
    setDown(false);
    click();
}

void CaptionButton::focusOutEvent(QFocusEvent *event)
{
    // A key released elsewhere clicks nothing here.
    pressedKey_ = 0;
    QPushButton::focusOutEvent(event);
}
