// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFocusFrame>
#include <QList>
#include <QPointer>

// Shows which control of the window has the focus: a ring along the control's inside edge,
// drawn over whatever the control and its neighbours draw, so that it is as easy to see on a
// picture box or a list as on a button, and no overlapping neighbour hides it. It is two pixels
// wide at every scale (more device pixels on a high-density screen), in black or white,
// whichever stands out from what surrounds the control and from what the control shows inside.
// Where no one colour does (a white picture in a dark window) it has two such bands: the outer
// one for the surroundings, the inner one for the inside.
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
    // Black on a light colour, white on a dark one.
    static QColor colourOn(const QColor &background);
    // The colour the control fills its inside with.
    static QColor insideColour(const QWidget *control);
    // The ring's bands for `control`, outermost first: one, or two where one colour cannot
    // stand out from both sides.
    QList<QColor> bands(const QWidget *control) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ring(QWidget *control);
    void showWholeCaption(QWidget *control) const;

    QPointer<QWidget> ringed_;
};
