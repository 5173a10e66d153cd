// SPDX-License-Identifier: MIT
#include "records/numbertext.h"

#include <cmath>

namespace records::numbertext {

namespace {

// The text with its blanks dropped: blanks inside a number are ignored, as in " 1 2" = 12.
QString withoutBlanks(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ')
            kept.append(c);
    }
    return kept;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

double valueOf(QStringView text)
{
    const QString compact = withoutBlanks(text);
    qsizetype end = 0;
    if (end < compact.size() && (compact[end] == u'+' || compact[end] == u'-'))
        ++end;
    const qsizetype digitsStart = end;
    while (end < compact.size() && isDigit(compact[end]))
        ++end;
    bool anyDigit = end > digitsStart;
    if (end < compact.size() && compact[end] == u'.') {
        const qsizetype fractionStart = end + 1;
        qsizetype fractionEnd = fractionStart;
        while (fractionEnd < compact.size() && isDigit(compact[fractionEnd]))
            ++fractionEnd;
        if (fractionEnd > fractionStart || anyDigit) {
            anyDigit = anyDigit || fractionEnd > fractionStart;
            end = fractionEnd;
        }
    }
    if (!anyDigit)
        return 0.0;
    bool ok = false;
    const double value = compact.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

QString decimalText(double number)
{
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number, 'g', 15);
}

} // namespace records::numbertext
