// SPDX-License-Identifier: MIT
// libFuzzer target: the instructor's reader on one file, every output written (terminal table,
// CSV, workbook, page). The first byte chooses the file's name (and so its kind) as the parser's
// target chooses the kind, the second is not used; the rest is the file.
#include "report/reportcommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <array>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const std::array<QString, 4> names{
        QStringLiteral("send_0303Sam_Student.txt"), QStringLiteral("masterFile_Sam_Student.txt"),
        QStringLiteral("notes_Sam_Student.txt"), QStringLiteral("records.txt")};
    QTemporaryDir folder;
    if (!folder.isValid())
        return 0;
    const QString path = folder.filePath(names[data[0] / 16 % names.size()]);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(data) + 2, qint64(size) - 2) != qint64(size) - 2)
        return 0;
    file.close();
    report::reportcommand::Outputs outputs;
    outputs.csvPath = folder.filePath(QStringLiteral("out.csv"));
    outputs.htmlPath = folder.filePath(QStringLiteral("out.html"));
    outputs.xlsxPath = folder.filePath(QStringLiteral("out.xlsx"));
    QString shown;
    QTextStream out(&shown);
    QTextStream err(&shown);
    report::reportcommand::report({path}, outputs, out, err);
    return 0;
}
