// SPDX-License-Identifier: MIT
#include "platform/windowfont.h"

#include <QStringList>

namespace platform {

QFont windowFont(qreal pointSize)
{
    // Arial where Windows has it; its metric twin from fonts-liberation on Debian; Arimo, the
    // same design, where a Wine prefix or a lean system offers only that. Should none be
    // there, the style hint keeps the stand-in a sans-serif.
    QFont font;
    font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace platform
