// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

// A command button whose caption wraps onto several lines, centred, as the window's small
// buttons need ("Next Question / Answer" in a button 65 pixels wide). Return and Enter click
// it when it has the focus, as Space does.
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
};
