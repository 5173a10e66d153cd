// SPDX-License-Identifier: MIT
// libFuzzer target: the record parser on raw bytes. The first two bytes choose the read size,
// the line limit and the file's kind, so that small limits and every chunking are explored;
// the rest is the file. What is read at that read size must be what is read at the default
// one: a difference is a finding, as is any fault ASan, UBSan or a stale-view assertion finds.
#include "bank/assignmentcontent.h"
#include "report/questionindex.h"
#include "report/recordparser.h"

#include <QBuffer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using report::RecordParser;

constexpr std::array<qsizetype, 12> readSizes{1, 2, 3, 5, 7, 8, 13, 64, 100, 4096, 65536, 262144};
constexpr std::array<qsizetype, 10> lineLimits{1, 2, 8, 48, 49, 50, 100, 1000, 65536, 67108864};
constexpr std::array<RecordParser::FileKind, 4> kinds{
    RecordParser::FileKind::Send, RecordParser::FileKind::Master, RecordParser::FileKind::Notes,
    RecordParser::FileKind::Other};

const report::QuestionIndex &index()
{
    static const report::QuestionIndex built(bank::assignmentContent());
    return built;
}

// Everything the parser hands on, as text.
QString readingOf(const QByteArray &file, RecordParser::FileKind kind, qsizetype lineLimit,
                  qsizetype readSize)
{
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    RecordParser parser(buffer, QStringLiteral("fuzzed"), kind, index(), QStringLiteral("03-03"),
                        lineLimit, readSize);
    QStringList seen;
    RecordParser::Handlers handlers;
    handlers.run = [&](const report::Run &run) {
        seen.append(QStringLiteral("run %1 %2 %3 %4 %5")
                        .arg(run.line)
                        .arg(run.codeLine, run.assignmentText, run.headLine, run.date));
    };
    handlers.record = [&](const report::Run &, report::Record &&record) {
        seen.append(QStringLiteral("record %1 %2 %3 %4 %5 %6 %7 %8 %9")
                        .arg(record.line)
                        .arg(int(record.kind))
                        .arg(record.time, record.dateAndTime, record.recordedLine, record.response,
                             record.ratingTyped)
                        .arg(record.complete)
                        .arg(record.question));
    };
    handlers.problem = [&](const report::Problem &problem) {
        seen.append(QStringLiteral("problem %1 %2").arg(problem.line).arg(problem.text));
    };
    parser.parse(handlers);
    return seen.join(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype readSize = readSizes[data[0] % readSizes.size()];
    const RecordParser::FileKind kind = kinds[data[0] / 16 % kinds.size()];
    const qsizetype lineLimit = lineLimits[data[1] % lineLimits.size()];
    const QByteArray file(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);
    const QString chosen = readingOf(file, kind, lineLimit, readSize);
    if (readSize == report::LineSource::defaultReadSize)
        return 0;
    const QString usual = readingOf(file, kind, lineLimit, report::LineSource::defaultReadSize);
    if (chosen != usual) {
        std::fprintf(stderr, "read otherwise at read size %lld:\n%s\n-- at the default:\n%s\n",
                     static_cast<long long>(readSize), qPrintable(chosen), qPrintable(usual));
        std::abort();
    }
    return 0;
}
