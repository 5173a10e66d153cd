// SPDX-License-Identifier: MIT
#include "platform/windowfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringList>

#include <cmath>

namespace platform {

QFont windowFont(qreal pointSize)
{
    // Arial where Windows has it; its metric twin from fonts-liberation on Debian; Arimo, the
    // same design, where a Wine prefix or a lean system offers only that. Should none be
    // there, the style hint keeps the stand-in a sans-serif. The family is chosen once: a
    // font that names several makes Qt work out fallbacks for each of them, at every size.
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString &name : {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arimo")}) {
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QString();
    }();
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

qreal largestCaptionPoints()
{
    const qreal points = QFontInfo(QGuiApplication::font()).pointSizeF();
    return std::max(smallestCaptionPoints, std::floor(points * 4) / 4);
}

bool captionFits(const QString &caption, const QRectF &area, int flags, qreal pointSize,
                 qreal scale)
{
    // Qt breaks the lines with the metrics of the logical size and draws the glyphs at the
    // device's: on a scaled screen the caption must fit by both.
    for (const qreal each : {qreal(1), scale}) {
        const QRectF device(area.topLeft() * each, area.size() * each);
        const QFontMetricsF metrics(windowFont(pointSize * each));
        if (!device.contains(metrics.boundingRect(device, flags, caption)))
            return false;
        if (scale == 1)
            break;
    }
    return true;
}

qreal fittingCaptionPoints(const QString &caption, const QRectF &area, int flags, qreal scale)
{
    const auto fits = [&](int quarters) {
        return captionFits(caption, area, flags, quarters / 4.0, scale);
    };
    int large = int(largestCaptionPoints() * 4);
    int small = int(smallestCaptionPoints * 4);
    if (fits(large))
        return large / 4.0;
    if (!fits(small))
        return 0;
    // `small` fits and `large` does not: halve the gap until they are a quarter point apart.
    while (large - small > 1) {
        const int middle = (small + large) / 2;
        (fits(middle) ? small : large) = middle;
    }
    return small / 4.0;
}

} // namespace platform
