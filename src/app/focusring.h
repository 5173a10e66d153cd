// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;

// Draws a ring along the inside edge of the control that has the focus, over whatever the
// control draws itself, so the focus is as easy to see on a picture box or a list as on a
// button: two pixels wide at every scale (more device pixels on a high-density screen), in
// a colour with at least 3:1 contrast against the window and the controls' own edges.
class FocusRing : public QObject
{
public:
    using QObject::QObject;

    void watch(QWidget *control);

    static constexpr int width = 2;
    // Black on a light window, white on a dark one.
    static QColor colourOn(const QColor &background);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> above_; // the neighbour the focused control was under
};
