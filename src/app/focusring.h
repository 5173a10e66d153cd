// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFocusFrame>
#include <QPointer>

// Shows which control of the window has the focus: a ring along the control's inside edge,
// drawn over whatever the control and its neighbours draw, so that it is as easy to see on a
// picture box or a list as on a button, and no overlapping neighbour hides it. The ring has two
// bands, each two pixels wide at every scale (more device pixels on a high-density screen): the
// outer one in black or white, whichever stands out from what surrounds the control, the inner
// one whichever stands out from what the control shows inside, so the ring is seen against
// both in a light and in a dark palette, on the white pictures too.
//
// It is one overlay across the whole window that takes no click, never the focus and no place
// among the window's accessible children (Qt leaves focus frames out of them): what a click hits
// and the order a screen reader walks never depend on where the focus is.
//
// A control whose caption is cut (it has a tooltip) shows its whole caption as a tooltip while
// it has the keyboard focus, as it does under the mouse.
class FocusRing : public QFocusFrame
{
public:
    explicit FocusRing(QWidget *window);

    void watch(QWidget *control);

    static constexpr int bandWidth = 2;
    static constexpr int width = 2 * bandWidth;
    // Black on a light colour, white on a dark one.
    static QColor colourOn(const QColor &background);
    // The colour the control fills its inside with.
    static QColor insideColour(const QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ring(QWidget *control);
    void showWholeCaption(QWidget *control) const;

    QPointer<QWidget> ringed_;
};
