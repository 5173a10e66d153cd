// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <stdexcept>

// The run's code number and the line operations around it. Character codes are those of the
// program's code page (records::codepage).
namespace records {

// Raised by codeFile when its input file is missing.
class FileNotFoundError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Every recorded line passes through here; the record files hold plain text, so the line
// comes back unchanged and codeNbr has no effect.
QString code(const QString &aLine, float codeNbr);

// Reverses an older coding of lines: blanks stay, codes below 66 become code + 209 - codeNbr,
// 66..118 are dropped, codes above 118 become code - codeNbr - 100. A result outside 0..255,
// or a character the code page does not have, throws std::invalid_argument and nothing is
// returned.
QString decode(const QString &aLine, float codeNbr);

// The first line of every opening block: codeNbr key characters (codes 118..255), about one
// in ten preceded by a filler (66..116). `draw` is the program's generator, 0 <= r < 1.
QString makeCodeLine(float codeNbr, const std::function<float()> &draw);

// Reading a code line back: the number of its characters with code 118 or more.
int codeNumberOf(QStringView codeLine);

// `aLine` without blanks and hyphen-minus signs.
QString remSpaces(const QString &aLine);

// Rewrites query.txt in `outputFolder` into queri.txt there: lines beginning "assign" as they
// are, "query " lines as "query" + the line from its 8th character, other lines through code.
// Returns the new code number, the length of the input's first line. A missing input throws
// FileNotFoundError before anything is written; other file failures throw std::runtime_error.
float codeFile(const QString &outputFolder, QChar separator);

} // namespace records
