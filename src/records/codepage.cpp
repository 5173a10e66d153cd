// SPDX-License-Identifier: MIT
#include "records/codepage.h"

#include <algorithm>
#include <array>

namespace records::codepage {

namespace {

// Bytes 0x80..0x9F; every other byte is the character with the same code.
constexpr std::array<char16_t, 32> high = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

constexpr int highFirst = 0x80;
constexpr int highLast = 0x9F;

} // namespace

int codeOf(char32_t character)
{
    if (character < highFirst || (character > highLast && character <= 0xFF))
        return static_cast<int>(character);
    const auto found = std::find(high.begin(), high.end(), character);
    if (found == high.end())
        return -1;
    return highFirst + static_cast<int>(found - high.begin());
}

QChar characterOf(int code)
{
    if (code >= highFirst && code <= highLast)
        return QChar(high[static_cast<std::size_t>(code - highFirst)]);
    return QChar(static_cast<char16_t>(code));
}

std::optional<QByteArray> encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar unit : text) {
        // A surrogate half has no code, so characters beyond U+FFFF are refused too.
        const int code = codeOf(unit.unicode());
        if (code < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(code));
    }
    return bytes;
}

QList<char32_t> unstorableCharacters(QStringView text)
{
    QList<char32_t> found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (codeOf(character) < 0 && !found.contains(character))
            found.append(character);
    }
    return found;
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = characterOf(static_cast<unsigned char>(byte));
    return text;
}

} // namespace records::codepage
