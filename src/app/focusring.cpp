// SPDX-License-Identifier: MIT
#include "app/focusring.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include <limits>

FocusRing::FocusRing(QWidget *window)
    : QFocusFrame(window)
{
    setGeometry(window->rect());
    window->installEventFilter(this);
    // Over every control made before it.
    raise();
}

void FocusRing::watch(QWidget *control)
{
    control->installEventFilter(this);
    // The ring goes over a scroll area's frame, which the viewport and scroll bar leave free:
    // a sunken panel as wide as the outer band, whatever the style's own frame would be.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control)) {
        area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        area->setLineWidth(bandWidth);
    }
}

QColor FocusRing::colourOn(const QColor &background)
{
    return background.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor FocusRing::insideColour(const QWidget *control)
{
    if (const auto *area = qobject_cast<const QAbstractScrollArea *>(control))
        control = area->viewport();
    return control->palette().color(control->backgroundRole());
}

void FocusRing::ring(QWidget *control)
{
    if (ringed_)
        update(ringed_->geometry());
    ringed_ = control;
    if (ringed_)
        update(ringed_->geometry());
}

void FocusRing::showWholeCaption(QWidget *control) const
{
    // Below the control, where the mouse's tooltip would be, for as long as the focus stays.
    // The point lies outside the tip's rectangle (the control), so that showing it again
    // renews it instead of leaving a hiding tip to go.
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), control->toolTip(),
                       control, control->rect(), std::numeric_limits<int>::max());
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }
    auto *control = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn: {
        ring(control);
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (!control->toolTip().isEmpty() &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
             reason == Qt::ShortcutFocusReason))
            showWholeCaption(control);
        return false;
    }
    case QEvent::KeyRelease: {
        // Any key's release hides a tooltip; the Tab that brought the focus here comes up here.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !control->toolTip().isEmpty() &&
            control->hasFocus())
            showWholeCaption(control);
        return false;
    }
    case QEvent::FocusOut:
        if (ringed_ == control)
            ring(nullptr);
        if (QToolTip::isVisible() && QToolTip::text() == control->toolTip())
            QToolTip::hideText();
        return false;
    default:
        return false;
    }
}

void FocusRing::paintEvent(QPaintEvent *)
{
    if (!ringed_ || !ringed_->isVisible())
        return;
    QPainter painter(this);
    QRect r = ringed_->geometry();
    for (const QColor &colour : bands(ringed_)) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), bandWidth), colour);
        painter.fillRect(QRect(r.left(), r.bottom() - bandWidth + 1, r.width(), bandWidth), colour);
        painter.fillRect(QRect(r.left(), r.top(), bandWidth, r.height()), colour);
        painter.fillRect(QRect(r.right() - bandWidth + 1, r.top(), bandWidth, r.height()), colour);
        r.adjust(bandWidth, bandWidth, -bandWidth, -bandWidth);
    }
}

QList<QColor> FocusRing::bands(const QWidget *control) const
{
    const QColor outer = colourOn(parentWidget()->palette().color(QPalette::Window));
    const QColor inner = colourOn(insideColour(control));
    // A second band only where it is needed: it would cover more of a caption.
    return outer == inner ? QList<QColor>{outer} : QList<QColor>{outer, inner};
}
