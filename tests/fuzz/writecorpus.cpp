// SPDX-License-Identifier: MIT
// The fuzz targets' seed corpus: small record files that the drill program's window wrote on
// the scripted platform (a few steps of each assignment, typed look-alikes of records among
// them), each behind the two bytes from which the targets take the read size, the line limit
// and the file's kind.
#include "walkedrun.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_writecorpus <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int assignment = 1; assignment <= 4; ++assignment) {
        QTemporaryDir folder;
        const WalkedRun walked = walkAssignment(folder.path(), QStringLiteral("Sam Student"),
                                                assignment, 3, QTime(9, 0), 30, 5);
        const std::array<std::pair<QString, char>, 3> files{std::pair{walked.send, char(0)},
                                                            std::pair{walked.master, char(1)},
                                                            std::pair{walked.notes, char(2)}};
        for (const auto &[path, kind] : files) {
            QFile in(path);
            QFile copy(out.filePath(QStringLiteral("%1-%2")
                                        .arg(assignment)
                                        .arg(QFileInfo(path).fileName().section(u'_', 0, 0))));
            if (!in.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly))
                return 1;
            // The kind, a read size of its own for each, and the reader's own line limit.
            QByteArray choices;
            choices += char(kind * 16 + assignment * 3);
            choices += char(9);
            copy.write(choices + in.readAll());
        }
    }
    return 0;
}
