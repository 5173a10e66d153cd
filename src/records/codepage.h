// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The program's 8-bit code page, Windows-1252, in which record files are written and read
// and in which characters have their codes 0..255. Lossless for every byte: the five bytes
// Windows-1252 leaves undefined map to U+0081, U+008D, U+008F, U+0090 and U+009D.
namespace records::codepage {

// The code of `character`, or -1 when the code page cannot store it.
int codeOf(char32_t character);
// The character that byte `code` (0..255) decodes to.
QChar characterOf(int code);

// The bytes of `text`, or nothing when it holds a character the code page cannot store;
// a record is never written with characters replaced.
std::optional<QByteArray> encode(QStringView text);
// The distinct characters of `text` that cannot be stored, in order of first appearance.
QList<char32_t> unstorableCharacters(QStringView text);

QString decode(QByteArrayView bytes);

} // namespace records::codepage
