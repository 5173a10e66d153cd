// SPDX-License-Identifier: MIT
// The instructor's reader on a generated class: send files of about 100 KB made by the record
// functions (students × days, each file its own runs), reported by bexlorin-report as a child
// process in every mode (terminal table, CSV, workbook, page), against `cat` of the same files
// to /dev/null as the floor and a 40-line Python parser (peer_report.py) as the peer, all in
// one run so that the ratios hold on a busy machine. Files are read from the page cache (just
// written, one untimed warm-up each). Wall and CPU time from fork to the end of wait4, peak
// RSS from wait4; rounds alternate between the commands. Then the cost against size: the same
// modes on 1,000 and on 10,000 smaller files. Then the same class read from its .zip, as a
// course site hands it out, against the unpacked folder. Then memory against input: a 1 GB file
// that is one line without a line end (sparse, so it costs no disk), /dev/zero named as an
// input, and the archives no course site writes (a 1 GiB entry of zeros, an entry lying about
// its size, ...). Then memory against one student's size: a class with one student whose send
// file is 192 MiB, in every mode, the page with and without student pages of their own.
#include "childrun.h"
#include "figures.h"
#include "recordfixtures.h"
#include "ziparchives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>
#include <string>
#include <vector>

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

// A class's send files: student `i % students`, on day `i / students` after 1 March.
qint64 writeClass(const QString &folder, int files, int kilobytes, int students)
{
    qint64 total = 0;
    for (int i = 0; i < files; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("send_03%1Student_%2.txt")
                                                       .arg(1 + i / students, 2, 10, QChar(u'0'))
                                                       .arg(i % students, 4, 10, QChar(u'0')));
        const QByteArray bytes = bench::fixtures::sendFile(
            qsizetype(kilobytes) * 1024, i * 100,
            QStringLiteral("03-%1-2026").arg(1 + i / students, 2, 10, QChar(u'0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return -1;
        total += bytes.size();
    }
    return total;
}

// One send file of at least `mebibytes` MiB, written a few MiB at a time; each piece starts a
// run of its own, so the file is what a student's many runs in one day leave.
bool writeLargeFile(const QString &path, int mebibytes)
{
    constexpr qsizetype piece = qsizetype(4) << 20;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Run numbers (and so code lines) far from those of the class's files.
    for (int run = 10000000; file.size() < qint64(mebibytes) << 20; run += 100000) {
        const QByteArray bytes = bench::fixtures::sendFile(piece, run);
        if (file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

// Peak memory of every mode on a class of 40 small students and one of `mebibytes` MiB: what
// one student's size costs, which must not grow with it.
bool memoryAgainstStudent(const QString &folder, const QString &out, int mebibytes)
{
    if (writeClass(folder, 40, 100, 40) < 0 ||
        !writeLargeFile(QDir(folder).filePath(QStringLiteral("send_0303Large_Student.txt")),
                        mebibytes))
        return false;
    const std::string in = folder.toStdString();
    const auto to = [&](const char *name) {
        return QDir(out).filePath(QString::fromLatin1(name)).toStdString();
    };
    const std::vector<std::pair<std::string, std::vector<std::string>>> modes{
        {"table", {BEXLORIN_REPORT, in}},
        {"CSV", {BEXLORIN_REPORT, "--quiet", "--csv", to("large.csv"), in}},
        {"XLSX", {BEXLORIN_REPORT, "--quiet", "--xlsx", to("large.xlsx"), in}},
        {"HTML with student pages", {BEXLORIN_REPORT, "--quiet", "--html", to("large.html"), in}},
        {"HTML without student pages",
         {BEXLORIN_REPORT, "--quiet", "--student-pages-above", "100", "--html", to("one.html"),
          in}}};
    const std::string what = " of 40 students and one of " + std::to_string(mebibytes) + " MiB";
    for (const auto &[name, command] : modes) {
        const bench::ChildRun run = runOnce(command);
        // In MB of 10^6 bytes, as the target is given.
        const double peakMb = run.peakRssMb * 1024 * 1024 / 1e6;
        bench::row(name + what + ", peak RSS", bench::fixed(peakMb, 1) + " MB", "< 300 MB",
                   peakMb < 300 ? "yes" : "no");
        bench::row(name + what + ", wall time / exit status",
                   bench::fixed(run.wallMs, 0) + " ms / " + std::to_string(run.status), "— / 0",
                   run.status == 0 ? "yes" : "no");
    }
    return true;
}

struct Mode
{
    Mode(std::string shown, std::vector<std::string> arguments)
        : name(std::move(shown))
        , command(std::move(arguments))
    {}

    std::string name;
    std::vector<std::string> command;
    std::vector<double> wallMs, cpuMs, rssMb;
    int status = -1;

    double wall() const { return bench::median(wallMs); }
    double cpu() const { return bench::median(cpuMs); }
    double rss() const { return bench::median(rssMb); }
};

// Every mode of the reader on one folder, and the peer; `cat` of the files as the floor.
std::vector<Mode> modesOn(const QString &folder, const QString &out, bool peer)
{
    const std::string in = folder.toStdString();
    const auto to = [&](const char *name) {
        return QDir(out).filePath(QString::fromLatin1(name)).toStdString();
    };
    std::vector<std::string> cat{"sh", "-c", "cat \"$0\"/send_* > /dev/null", in};
    std::vector<Mode> modes{{"cat", cat},
                            {"table", {BEXLORIN_REPORT, in}},
                            {"CSV", {BEXLORIN_REPORT, "--quiet", "--csv", to("r.csv"), in}},
                            {"XLSX", {BEXLORIN_REPORT, "--quiet", "--xlsx", to("r.xlsx"), in}},
                            {"HTML", {BEXLORIN_REPORT, "--quiet", "--html", to("r.html"), in}}};
    if (peer)
        modes.push_back({"Python peer", {"python3", BEXLORIN_PEER, in, to("peer.csv")}});
    return modes;
}

void measure(std::vector<Mode> &modes, int rounds)
{
    for (Mode &mode : modes)
        mode.status = runOnce(mode.command).status; // warm-up
    for (int round = 0; round < rounds; ++round) {
        for (Mode &mode : modes) {
            const bench::ChildRun run = runOnce(mode.command);
            mode.wallMs.push_back(run.wallMs);
            mode.cpuMs.push_back(run.cpuMs);
            mode.rssMb.push_back(run.peakRssMb);
        }
        bench::progress("round %d of %d", round + 1, rounds);
    }
}

void reportModes(const std::vector<Mode> &modes, const std::string &what, int rounds)
{
    const std::string of = " (median of " + std::to_string(rounds) + ")";
    for (const Mode &mode : modes) {
        bench::row(mode.name + " of " + what + ": wall / CPU" + of,
                   bench::fixed(mode.wall(), 0) + " / " + bench::fixed(mode.cpu(), 0) + " ms");
    }
    const Mode &cat = modes.front();
    for (std::size_t m = 1; m < modes.size(); ++m) {
        const Mode &mode = modes[m];
        if (mode.name == "Python peer") {
            bench::row("Python peer / CSV mode, CPU",
                       bench::fixed(mode.cpu() / modes[2].cpu(), 1) + "×", ">= 10×",
                       mode.cpu() / modes[2].cpu() >= 10 ? "yes" : "no");
            continue;
        }
        const double limit = mode.name == "table" || mode.name == "CSV" ? 3.0 : 6.0;
        bench::ratioRow(mode.name + " / cat, wall", mode.wall() / cat.wall(), limit);
        bench::row(mode.name + ", peak RSS", bench::fixed(mode.rss(), 1) + " MiB", "< 100 MiB",
                   mode.rss() < 100 ? "yes" : "no");
        bench::row(mode.name + ", exit status", std::to_string(mode.status), "0",
                   mode.status == 0 ? "yes" : "no");
    }
}

// Each archive no course site writes, beside a good send file: the reader's status, peak memory
// and time.
void hostileArchives(const QString &folder)
{
    const QByteArray good = bench::fixtures::sendFile(100 * 1024, 0, QStringLiteral("03-03-2026"));
    const QByteArray other =
        bench::fixtures::sendFile(100 * 1024, 500, QStringLiteral("03-03-2026"));
    for (const QString &kind : hostileArchiveKinds()) {
        const QString path = QDir(folder).filePath(QStringLiteral("hostile.zip"));
        if (!writeHostileArchive(kind, path, good, other)) {
            bench::row("archive: " + kind.toStdString(), "could not be made");
            continue;
        }
        const bench::ChildRun run = runOnce({BEXLORIN_REPORT, path.toStdString()});
        const int expected = kind.contains(u"disagree") ? 1 : 2;
        bench::row("archive: " + kind.toStdString() + ", exit status / peak RSS / wall",
                   std::to_string(run.status) + " / " + bench::fixed(run.peakRssMb, 1) + " MiB / " +
                       bench::fixed(run.wallMs, 0) + " ms",
                   std::to_string(expected) + " / < 100 MiB",
                   run.status == expected && run.peakRssMb < 100 ? "yes" : "no");
    }
}

// The class's files as one .zip, as a course site hands them out; packed from the files, so
// that this process stays small (a child's peak RSS counts what it shares before its exec).
bool zipClass(const QString &folder, const QString &archive)
{
    QList<ZipItem> items;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        items.append({info.fileName().toUtf8(), {}});
        items.last().file = info.filePath();
    }
    return writeZip(archive, items);
}

// The same class from its .zip and from the unpacked folder, in the table and CSV modes.
bool zipAgainstFolder(const QString &folder, const QString &out, int rounds)
{
    const QString archive = QDir(out).filePath(QStringLiteral("class.zip"));
    if (!zipClass(folder, archive))
        return false;
    const std::string in = folder.toStdString();
    const std::string zip = archive.toStdString();
    const std::string csv = QDir(out).filePath(QStringLiteral("z.csv")).toStdString();
    std::vector<Mode> modes{{"table, folder", {BEXLORIN_REPORT, in}},
                            {"table, .zip", {BEXLORIN_REPORT, zip}},
                            {"CSV, folder", {BEXLORIN_REPORT, "--quiet", "--csv", csv, in}},
                            {"CSV, .zip", {BEXLORIN_REPORT, "--quiet", "--csv", csv, zip}}};
    measure(modes, rounds);
    for (std::size_t m = 0; m < modes.size(); m += 2) {
        const Mode &plain = modes[m];
        const Mode &zipped = modes[m + 1];
        bench::row(zipped.name + " / " + plain.name + ": wall / CPU (median of " +
                       std::to_string(rounds) + ")",
                   bench::fixed(zipped.wall(), 0) + " / " + bench::fixed(zipped.cpu(), 0) +
                       " ms against " + bench::fixed(plain.wall(), 0) + " / " +
                       bench::fixed(plain.cpu(), 0) + " ms");
        bench::ratioRow(zipped.name + " / " + plain.name + ", wall", zipped.wall() / plain.wall(),
                        2.0);
        bench::row(zipped.name + ", peak RSS", bench::fixed(zipped.rss(), 1) + " MiB", "< 100 MiB",
                   zipped.rss() < 100 ? "yes" : "no");
        bench::row(zipped.name + ", exit status (the folder's: " + std::to_string(plain.status) +
                       ")",
                   std::to_string(zipped.status), std::to_string(plain.status),
                   zipped.status == plain.status ? "yes" : "no");
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const int files = bench::countOption(argc, argv, "--files", 1000);
    const int rounds = bench::countOption(argc, argv, "--rounds", 3);
    const int kilobytes = bench::countOption(argc, argv, "--kilobytes", 100);
    const int scaleKilobytes = bench::countOption(argc, argv, "--scale-kilobytes", 10);
    const int students = bench::countOption(argc, argv, "--students", 1000);
    const int largeStudent = bench::countOption(argc, argv, "--large-student-mebibytes", 192);

    QTemporaryDir folder;
    QTemporaryDir small;
    QTemporaryDir large;
    QTemporaryDir out;
    QTemporaryDir oneLarge;
    if (!folder.isValid() || !small.isValid() || !large.isValid() || !out.isValid() ||
        !oneLarge.isValid())
        return 1;
    // --keep: leave the files in the temporary folder, for profiling by hand.
    // --large-student-only: only the memory against one student's size.
    bool largeStudentOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) {
            folder.setAutoRemove(false);
            oneLarge.setAutoRemove(false);
            bench::progress("files kept in %s and %s", qPrintable(folder.path()),
                            qPrintable(oneLarge.path()));
        }
        largeStudentOnly = largeStudentOnly || std::strcmp(argv[i], "--large-student-only") == 0;
    }
    if (largeStudentOnly)
        return memoryAgainstStudent(oneLarge.path(), out.path(), largeStudent) ? 0 : 1;
    const qint64 total = writeClass(folder.path(), files, kilobytes, students);
    if (total < 0)
        return 1;
    bench::progress("%d send files, %.1f MB in all", files, double(total) / 1e6);
    std::vector<Mode> modes = modesOn(folder.path(), out.path(), true);
    measure(modes, rounds);
    reportModes(modes,
                std::to_string(files) + " send files of " + std::to_string(kilobytes) + " KB",
                rounds);

    // Cost against size: ten times the files, of one size, in every mode.
    if (writeClass(small.path(), 1000, scaleKilobytes, students) < 0 ||
        writeClass(large.path(), 10000, scaleKilobytes, students) < 0)
        return 1;
    std::vector<Mode> few = modesOn(small.path(), out.path(), false);
    std::vector<Mode> many = modesOn(large.path(), out.path(), false);
    measure(few, rounds);
    measure(many, rounds);
    for (std::size_t m = 1; m < few.size(); ++m) {
        const std::string what =
            few[m].name + ", 10,000 / 1,000 files of " + std::to_string(scaleKilobytes) + " KB";
        bench::ratioRow(what + ", CPU", many[m].cpu() / few[m].cpu(), 11.0);
        bench::row(many[m].name + " of 10,000 files, peak RSS",
                   bench::fixed(many[m].rss(), 1) + " MiB", "< 100 MiB",
                   many[m].rss() < 100 ? "yes" : "no");
    }
    bench::row("cat, 10,000 / 1,000 files, CPU",
               bench::fixed(many[0].cpu() / few[0].cpu(), 1) + "×");
    if (!zipAgainstFolder(folder.path(), out.path(), rounds))
        return 1;
    hostileArchives(out.path());
    return memoryAgainstInput(out.path()) &&
                   memoryAgainstStudent(oneLarge.path(), out.path(), largeStudent)
               ? 0
               : 1;
}
