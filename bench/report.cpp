// SPDX-License-Identifier: MIT
// The instructor's reader on a term's worth of send files: 1,000 files of about 100 KB, made
// by the record functions, reported to CSV by bexlorin-report as a child process, against
// `cat` of the same files to /dev/null as the floor. Both read from the page cache (the files
// were just written, and one untimed warm-up of each runs first). Wall time from fork to the
// end of wait4, peak RSS from wait4; rounds alternate between the two.
// Then memory against input: a 1 GB file that is one line without a line end (sparse, so it
// costs no disk), and /dev/zero named as an input; the reader holds no line over its 64 MiB
// limit, and refuses a device without reading it.
#include "childrun.h"
#include "figures.h"
#include "recordfixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

bench::ChildRun runOnce(const std::vector<std::string> &arguments)
{
    return bench::runChild(arguments, bench::ChildOutput::Discarded);
}

bool memoryAgainstInput(const QString &folder)
{
    const QString line = QDir(folder).filePath(QStringLiteral("send_0303One_Line.txt"));
    QFile file(line);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(1) << 30))
        return false;
    file.close();
    const std::string csv = QDir(folder).filePath(QStringLiteral("line.csv")).toStdString();
    const bench::ChildRun longLine = runOnce({BEXLORIN_REPORT, "--csv", csv, line.toStdString()});
    bench::row("bexlorin-report on a 1 GiB line without a line end, peak RSS",
               bench::fixed(longLine.peakRssMb, 1) + " MiB", "< 200 MiB",
               longLine.peakRssMb < 200.0 ? "yes" : "no");
    bench::row("bexlorin-report on a 1 GiB line without a line end, time",
               bench::fixed(longLine.wallMs, 0) + " ms");
    bench::row("bexlorin-report on a 1 GiB line, exit status (1: the line is reported)",
               std::to_string(longLine.status), "1", longLine.status == 1 ? "yes" : "no");
    const bench::ChildRun zero = runOnce({BEXLORIN_REPORT, "--csv", csv, "/dev/zero"});
    bench::row("bexlorin-report on /dev/zero, peak RSS", bench::fixed(zero.peakRssMb, 1) + " MiB",
               "< 50 MiB", zero.peakRssMb < 50.0 ? "yes" : "no");
    bench::row("bexlorin-report on /dev/zero, exit status (2: refused, not read)",
               std::to_string(zero.status), "2", zero.status == 2 ? "yes" : "no");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const int files = bench::countOption(argc, argv, "--files", 1000);
    const int rounds = bench::countOption(argc, argv, "--rounds", 5);
    const int kilobytes = bench::countOption(argc, argv, "--kilobytes", 100);

    QTemporaryDir folder;
    QTemporaryDir out;
    if (!folder.isValid() || !out.isValid())
        return 1;
    // --keep: leave the files in the temporary folder, for profiling by hand.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) {
            folder.setAutoRemove(false);
            bench::progress("files kept in %s", qPrintable(folder.path()));
        }
    }
    std::vector<std::string> cat{"cat"};
    qint64 total = 0;
    for (int i = 0; i < files; ++i) {
        const QString path =
            QDir(folder.path())
                .filePath(QStringLiteral("send_0303Student_%1.txt").arg(i, 4, 10, QChar(u'0')));
        const QByteArray bytes = bench::fixtures::sendFile(qsizetype(kilobytes) * 1024, i * 100);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
        total += bytes.size();
        cat.push_back(path.toStdString());
    }
    bench::progress("%d send files, %.1f MB in all", files, double(total) / 1e6);

    const std::string csv = QDir(out.path()).filePath(QStringLiteral("report.csv")).toStdString();
    const std::vector<std::string> report{BEXLORIN_REPORT, "--csv", csv,
                                          folder.path().toStdString()};
    runOnce(cat);
    const bench::ChildRun warm = runOnce(report);
    std::vector<double> catMs, catRss, reportMs, reportRss;
    for (int round = 0; round < rounds; ++round) {
        const bench::ChildRun floor = runOnce(cat);
        const bench::ChildRun read = runOnce(report);
        catMs.push_back(floor.wallMs);
        catRss.push_back(floor.peakRssMb);
        reportMs.push_back(read.wallMs);
        reportRss.push_back(read.peakRssMb);
        bench::progress("round %d: cat %.0f ms, report %.0f ms, %.1f MiB, status %d", round + 1,
                        floor.wallMs, read.wallMs, read.peakRssMb, read.status);
    }
    const std::string of = " (median of " + std::to_string(rounds) + ")";
    const std::string what =
        std::to_string(files) + " send files of " + std::to_string(kilobytes) + " KB";
    bench::row("cat of " + what + " to /dev/null" + of,
               bench::fixed(bench::median(catMs), 0) + " ms");
    bench::row("bexlorin-report --csv of " + what + of,
               bench::fixed(bench::median(reportMs), 0) + " ms");
    bench::ratioRow("bexlorin-report --csv / cat", bench::median(reportMs) / bench::median(catMs),
                    5.0);
    const double rss = bench::median(reportRss);
    bench::row("bexlorin-report --csv, peak RSS" + of, bench::fixed(rss, 1) + " MiB", "< 50 MiB",
               rss < 50.0 ? "yes" : "no");
    bench::row("bexlorin-report exit status (0: read without problems)",
               std::to_string(warm.status), "0", warm.status == 0 ? "yes" : "no");
    return memoryAgainstInput(out.path()) ? 0 : 1;
}
