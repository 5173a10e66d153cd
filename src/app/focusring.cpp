// SPDX-License-Identifier: MIT
#include "app/focusring.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>
#include <QWidget>

void FocusRing::watch(QWidget *control)
{
    control->installEventFilter(this);
    // The ring goes over a scroll area's frame, which the viewport and scroll bar leave
    // free: a sunken panel as wide as the ring, whatever the style's own frame would be.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control)) {
        area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        area->setLineWidth(width);
    }
}

QColor FocusRing::colourOn(const QColor &background)
{
    return background.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        // Overlapping neighbours would hide part of the ring: the control comes to the front
        // while it has the focus, and goes back under the same neighbour after.
        above_ = nullptr;
        if (const auto siblings = control->parentWidget()->children();
            siblings.indexOf(control) + 1 < siblings.size()) {
            for (auto it = siblings.begin() + siblings.indexOf(control) + 1; it != siblings.end();
                 ++it) {
                if ((*it)->isWidgetType()) {
                    above_ = static_cast<QWidget *>(*it);
                    break;
                }
            }
        }
        control->raise();
        // Scroll areas repaint only their viewport when the focus comes and goes.
        control->update();
        return false;
    case QEvent::FocusOut:
        if (above_)
            control->stackUnder(above_);
        above_ = nullptr;
        control->update();
        return false;
    case QEvent::Paint:
        if (!control->hasFocus())
            return false;
        // The control paints itself first; the ring goes over its edge. In a scroll area
        // that edge is the frame around the viewport.
        static_cast<QObject *>(control)->event(event);
        {
            QPainter painter(control);
            const QColor colour = colourOn(control->palette().color(QPalette::Window));
            const QRect r = control->rect();
            painter.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
            painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), colour);
            painter.fillRect(QRect(r.left(), r.top(), width, r.height()), colour);
            painter.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), colour);
        }
        return true;
    default:
        return false;
    }
}
