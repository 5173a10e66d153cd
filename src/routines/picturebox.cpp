// SPDX-License-Identifier: MIT
#include "routines/picturebox.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>

namespace routines {

namespace {
constexpr double twipsPerPixel = 15.0;

// A picture box is a picture to assistive technology. As a plain frame it would be announced
// as a frame, which AT-SPI takes for a window of its own, and screen readers say nothing.
QAccessibleInterface *pictureInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(PictureBox::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}
} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    static const bool spokenAsPicture = (QAccessible::installFactory(pictureInterface), true);
    Q_UNUSED(spokenAsPicture);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
}

void PictureBox::setPicture(const QImage &picture)
{
    picture_ = picture;
    update();
}

float PictureBox::scaleWidth() const
{
    return scaleWidth_ > 0 ? scaleWidth_ : float(contentsRect().width() * twipsPerPixel);
}

float PictureBox::scaleHeight() const
{
    return scaleHeight_ > 0 ? scaleHeight_ : float(contentsRect().height() * twipsPerPixel);
}

void PictureBox::setScaleWidth(float width)
{
    scaleWidth_ = width;
}

void PictureBox::setScaleHeight(float height)
{
    scaleHeight_ = height;
}

double PictureBox::pixelsPerUnitX() const
{
    return contentsRect().width() / double(scaleWidth());
}

double PictureBox::pixelsPerUnitY() const
{
    return contentsRect().height() / double(scaleHeight());
}

void PictureBox::drawCircle(float centreX, float centreY, float radius)
{
    ensureLayerFits();
    if (layer_.isNull())
        return;
    const QPointF centre(centreX * pixelsPerUnitX(), centreY * pixelsPerUnitY());
    const double pixelRadius = radius * pixelsPerUnitX();
    {
        QPainter painter(&layer_);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, pixelRadius, pixelRadius);
    }
    const int reach = int(std::ceil(pixelRadius)) + 2;
    const QRect touched(int(centre.x()) - reach, int(centre.y()) - reach, 2 * reach, 2 * reach);
    update(touched.translated(contentsRect().topLeft()).intersected(contentsRect()));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area.intersected(event->rect()));
    if (!picture_.isNull())
        painter.drawImage(area.topLeft(), picture_);
    if (!layer_.isNull())
        painter.drawImage(area.topLeft(), layer_);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // A box nobody draws on never pays for a layer; one that has circles keeps them.
    if (!layer_.isNull())
        ensureLayerFits();
}

void PictureBox::ensureLayerFits()
{
    const QSize size = contentsRect().size();
    if (size.isEmpty() || size == layer_.size())
        return;
    // Keep what has been drawn: copy the old layer into the new one.
    QImage resized(size, QImage::Format_ARGB32_Premultiplied);
    resized.fill(Qt::transparent);
    if (!layer_.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, layer_);
    }
    layer_ = resized;
}

} // namespace routines
