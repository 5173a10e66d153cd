// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRectF>

class QString;

namespace platform {

// The window's font at `pointSize`: a sans-serif with Arial's metrics, whichever of its
// families the system has, so the layout's captions fit the same everywhere.
QFont windowFont(qreal pointSize);

// Captions are never smaller than this, fitting or not.
constexpr qreal smallestCaptionPoints = 7;

// The size the system gives the text of ordinary dialogs (a larger text setting makes it
// larger), in whole quarter points: no caption is set larger.
qreal largestCaptionPoints();

// Whether `caption`, laid out with `flags` in `area` (logical pixels) in the window's font at
// `pointSize`, stays inside it, measured in logical pixels and in device pixels at `scale`.
bool captionFits(const QString &caption, const QRectF &area, int flags, qreal pointSize,
                 qreal scale);

// The largest size, in quarter points from largestCaptionPoints() down to
// smallestCaptionPoints, at which the caption fits; 0 when it fits at none.
qreal fittingCaptionPoints(const QString &caption, const QRectF &area, int flags, qreal scale);

} // namespace platform
