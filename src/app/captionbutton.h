// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

// A command button whose caption wraps onto several lines, centred, as the window's small
// buttons need ("Next Question / Answer" in a button 65 pixels wide).
class CaptionButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
