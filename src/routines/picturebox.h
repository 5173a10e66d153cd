// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>
#include <QImage>

namespace routines {

// A framed drawing surface: a stored picture shown over a background colour, and a drawing
// layer above it on which circles are drawn in the box's own coordinate system (x from 0 at
// the left edge to the scale width, y from 0 at the top to the scale height). Drawing never
// changes the stored picture, and the layer survives repaints.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    QImage picture() const { return picture_; }
    void setPicture(const QImage &picture);

    float scaleWidth() const;
    float scaleHeight() const;
    void setScaleWidth(float width);
    void setScaleHeight(float height);

    // Outline only, one pixel wide, in the foreground colour. The radius counts in
    // horizontal units, so the circle is round on the screen whatever the scale.
    void drawCircle(float centreX, float centreY, float radius);

    // What has been drawn so far, one pixel per screen pixel of the drawing area; null until
    // the first circle.
    const QImage &drawingLayer() const { return layer_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Screen pixels per user unit along each axis.
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;
    // The layer follows the drawing area's size and keeps what was drawn on it.
    void ensureLayerFits();

    QImage picture_;
    QImage layer_;
    // Zero until set: the box then counts in twips, as a new box does.
    float scaleWidth_ = 0.0f;
    float scaleHeight_ = 0.0f;
};

} // namespace routines
