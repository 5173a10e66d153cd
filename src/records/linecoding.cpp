// SPDX-License-Identifier: MIT
#include "records/linecoding.h"

#include "records/codepage.h"
#include "records/linereading.h"

#include <QFile>

#include <cmath>

namespace records {

namespace {

constexpr int blankCode = 32;
constexpr int fillerFirst = 66;
constexpr int fillerSpan = 50;
constexpr int keyFirst = 118;
constexpr int keySpan = 137;
constexpr float fillerChance = 0.1f;

// Nearest whole number, a tie going to the even one.
int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

QChar codedCharacter(double code)
{
    const int rounded = roundHalfEven(code);
    if (rounded < 0 || rounded > 255)
        throw std::invalid_argument("decode: character code " + std::to_string(rounded) +
                                    " lies outside 0..255");
    return codepage::characterOf(rounded);
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileNotFoundError("file not found: " + path.toStdString());
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    return file.readAll();
}

QString queryLine(const QString &line, float codeNbr)
{
    const QString key = line.left(6).toLower();
    if (key == u"assign")
        return line;
    if (key == u"query ")
        return QStringLiteral("query") + code(line.mid(7), codeNbr);
    return code(line, codeNbr);
}

} // namespace

QString code(const QString &aLine, float codeNbr)
{
    Q_UNUSED(codeNbr);
    return aLine;
}

QString decode(const QString &aLine, float codeNbr)
{
    const qsizetype length = aLine.size();
    QString result;
    result.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const int c = codepage::codeOf(aLine[i].unicode());
        if (c < 0)
            throw std::invalid_argument("decode: the line holds a character without a code");
        if (c == blankCode)
            result.append(u' ');
        else if (c < fillerFirst)
            result.append(codedCharacter(double(c) + 209.0 - double(codeNbr)));
        else if (c <= keyFirst)
            continue;
        else
            result.append(codedCharacter(double(c) - double(codeNbr) - 100.0));
    }
    return result;
}

QString makeCodeLine(float codeNbr, const std::function<float()> &draw)
{
    QString line;
    for (int counter = 1; float(counter) <= codeNbr; ++counter) {
        if (draw() < fillerChance)
            line.append(
                codepage::characterOf(roundHalfEven(double(draw()) * fillerSpan + fillerFirst)));
        line.append(codepage::characterOf(roundHalfEven(double(draw()) * keySpan + keyFirst)));
    }
    return line;
}

int codeNumberOf(QStringView codeLine)
{
    int keys = 0;
    for (const QChar c : codeLine) {
        if (codepage::codeOf(c.unicode()) >= keyFirst)
            ++keys;
    }
    return keys;
}

QString remSpaces(const QString &aLine)
{
    QString kept;
    kept.reserve(aLine.size());
    for (const QChar c : aLine) {
        if (c != u' ' && c != u'-')
            kept.append(c);
    }
    return kept;
}

float codeFile(const QString &outputFolder, QChar separator)
{
    const QString inputPath = outputFolder + separator + QStringLiteral("query.txt");
    const QString outputPath = outputFolder + separator + QStringLiteral("queri.txt");

    const QStringList lines = readLines(codepage::decode(readWholeFile(inputPath)));
    const float codeNbr = lines.isEmpty() ? 0.0f : float(lines.first().size());

    QByteArray coded;
    for (const QString &line : lines) {
        // Every line came out of the code page, so it goes back in whole.
        coded += *codepage::encode(queryLine(line, codeNbr));
        coded += "\r\n";
    }

    QFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(coded) != coded.size() || !output.flush())
        throw std::runtime_error("cannot write " + outputPath.toStdString() + ": " +
                                 output.errorString().toStdString());
    return codeNbr;
}

} // namespace records
