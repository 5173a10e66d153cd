// SPDX-License-Identifier: MIT
#include "recordfixtures.h"

#include "bank/assignmentcontent.h"
#include "platform/appendfile.h"
#include "records/codepage.h"
#include "records/linecoding.h"

#include <QFile>
#include <QStringList>
#include <QTime>

#include <cstdint>

namespace bench::fixtures {

namespace {

const QString runDate = QStringLiteral("03-03-2026");

// The question and answer entries of the built-in assignments as the records hold them: a
// question with its marker and number, a worked answer without its marker.
const QStringList &entries()
{
    static const QStringList shown = [] {
        QStringList lines;
        for (const QString &entry : bank::assignmentContent()) {
            if (entry.startsWith(u"`q"))
                lines.append(entry);
            else if (entry.startsWith(u"`a"))
                lines.append(entry.mid(2));
        }
        return lines;
    }();
    return shown;
}

const QStringList &responses()
{
    static const QStringList typed = {
        QStringLiteral("A = L * W = 4 m * 3 m = 12 m²."),
        QStringLiteral("I think the area is 6 m² because the triangle is half of the 4 m by 3 m "
                       "rectangle.\r\nI wasn't sure about the units at first."),
        QStringLiteral("V = 2 cm * 3 cm * 5 cm = 30 cm³\r\n30 cm³ = 30 mL = 0.030 L"),
        QStringLiteral("density = mass / volume = 200 g / 80 cm³ = 2.5 g/cm³ – about right for "
                       "aluminum."),
        QStringLiteral("c = sqrt(3² + 4²) = 5 m. The angle at the corner is 90°."),
        QStringLiteral("I got confused here. My answer was ½ of the base times the height, but "
                       "I used the slanted side instead of the altitude.\r\nThe résumé of the "
                       "solution made it clear: the height is the perpendicular distance."),
        QStringLiteral("1 m³ = 100 cm * 100 cm * 100 cm = 1 000 000 cm³, so 1 cm³ = 0.000001 "
                       "m³ and 1 µL = 1 mm³."),
        QStringLiteral("ok"),
    };
    return typed;
}

QString clockText(int record)
{
    // Forward all day, as the program's clock goes: only midnight starts it again.
    return QTime(8, 0).addSecs(record * 7 % 86400).toString(QStringLiteral("HH:mm:ss"));
}

QByteArray encoded(const QString &text)
{
    return records::codepage::encode(text).value_or(QByteArray());
}

QString responseRecord(records::RecordFile file, int record)
{
    const QString &entry = entries().at(record % entries().size());
    const int question = record % entries().size() / 2 + 1;
    // The rating the program asks for after what was shown: a worked answer has lost its marker.
    const bool answer = !entry.startsWith(u"`q");
    const double number =
        records::questionNumberValue(QStringLiteral("001"), QString::number(question));
    return records::responseRecord(
        file, clockText(record), number, {entry, responses().at(record % responses().size())},
        answer ? records::Rating::SelfCritique : records::Rating::Confidence,
        QString::number(record % 4));
}

QString notesRecord(int record)
{
    const QString &entry = entries().at(record % entries().size());
    const QString note = records::notesLine(responses().at((record + 3) % responses().size()));
    return records::notesRecord(clockText(record), runDate + clockText(record), {entry, note});
}

QString openingBlock(int run, const QString &date)
{
    std::uint32_t state = 2463534242u + std::uint32_t(run);
    const auto draw = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(state >> 8) / float(1u << 24);
    };
    const float codeNumber = float(19 + run % 10);
    return records::openingBlock(
        records::makeCodeLine(codeNumber, draw), records::assignmentLine(QStringLiteral("001")),
        QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"), date.isEmpty() ? runDate : date);
}

} // namespace

QByteArray responseRecords(records::RecordFile file, int count)
{
    QByteArray bytes;
    for (int record = 0; record < count; ++record)
        bytes += encoded(responseRecord(file, record));
    return bytes;
}

QByteArray notesRecords(int count)
{
    QByteArray bytes;
    for (int record = 0; record < count; ++record)
        bytes += encoded(notesRecord(record));
    return bytes;
}

QByteArray sendFile(qsizetype minimumBytes, int firstRun, const QString &date)
{
    constexpr int recordsPerRun = 40;
    QByteArray bytes;
    for (int record = 0; bytes.size() < minimumBytes; ++record) {
        if (record % recordsPerRun == 0)
            bytes += encoded(openingBlock(firstRun + record / recordsPerRun, date));
        // About one record in five is a note.
        bytes += encoded(record % 5 == 4 ? notesRecord(record)
                                         : responseRecord(records::RecordFile::Send, record));
    }
    return bytes;
}

bool appendAndSync(const QString &path, const QByteArray &bytes)
{
    platform::AppendFile file(path);
    return file.open().isEmpty() && file.appendAndFlush(bytes).isEmpty();
}

} // namespace bench::fixtures
