// SPDX-License-Identifier: MIT
#include "platform/appendfile.h"
#include "records/linereading.h"
#include "records/recordfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

using namespace records;

namespace {

// The bytes of a file; a null array when it does not exist.
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QList<uint> asCodePoints(const QList<char32_t> &characters)
{
    QList<uint> points;
    for (const char32_t c : characters)
        points.append(uint(c));
    return points;
}

const QByteArray earlier("earlier record\r\n");

// Another program's hold on a record file while it is there: the tail lock every copy of the
// program takes (flock; LockFileEx on the byte far beyond the end), or, on Windows, an open
// that shares nothing, as a virus scanner's or a sync client's can be.
class HeldFile
{
public:
    enum Hold { TailLock, NoSharing };
    HeldFile(const QString &path, Hold hold)
    {
#ifdef Q_OS_UNIX
        Q_UNUSED(hold);
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CREAT, 0666);
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
#else
        handle_ = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ,
                              hold == TailLock ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED range{};
        range.Offset = 0xFFFFFFFE;
        range.OffsetHigh = 0x7FFFFFFF;
        held_ = handle_ != INVALID_HANDLE_VALUE &&
                (hold == NoSharing ||
                 LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                            &range));
#endif
    }
    ~HeldFile()
    {
#ifdef Q_OS_UNIX
        if (fd_ >= 0)
            ::close(fd_);
#else
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
#endif
    }
    bool held() const
    {
        return held_;
    }

private:
    bool held_ = false;
#ifdef Q_OS_UNIX
    int fd_ = -1;
#else
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};

} // namespace

class TestRecordFiles : public QObject
{
    Q_OBJECT

private slots:
    void appendsWithoutTruncating();
    void openFailure_data();
    void openFailure();
    void writeFailure_data();
    void writeFailure();
    void partialWriteStaysAndTheNextRecordStartsOnItsOwnLine();
    void tornTailIsClosedByAppending_data();
    void tornTailIsClosedByAppending();
    void fileHeldWithoutSharingIsReported();
    void unstorable_data();
    void unstorable();
    void lineRules_data();
    void lineRules();
};

void TestRecordFiles::appendsWithoutTruncating()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString master = dir.filePath(QStringLiteral("masterFile_Ann_Lee.txt"));
    const QString send = dir.filePath(QStringLiteral("send_0303Ann_Lee.txt"));
    QVERIFY(writeFile(master, earlier));

    const QStringList first{QString::fromUtf16(u"caf\u00E9 \u20AC\r\n"), QStringLiteral("one\r\n")};
    QCOMPARE(RecordFiles({master, send}).openAndAppend(first), std::nullopt);
    const QByteArray masterAfterFirst = earlier + QByteArray("caf\xE9 \x80\r\n");
    QCOMPARE(bytesOf(master), masterAfterFirst);
    QCOMPARE(bytesOf(send), QByteArray("one\r\n"));

    // The same through open() and append() separately.
    RecordFiles files({master, send});
    QCOMPARE(files.open(), std::nullopt);
    QCOMPARE(files.append({QStringLiteral("two\r\nlines\r\n"), QString::fromUtf16(u"\u0081\r\n")}),
             std::nullopt);
    const QByteArray masterNow = bytesOf(master);
    QVERIFY(masterNow.startsWith(masterAfterFirst));
    QCOMPARE(masterNow, masterAfterFirst + "two\r\nlines\r\n");
    QCOMPARE(bytesOf(send), QByteArray("one\r\n\x81\r\n"));
}

void TestRecordFiles::openFailure_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("failing");

    QTest::newRow("missing folder") << QStringList{QStringLiteral("missing/master.txt")} << 0;
    QTest::newRow("folder is a file") << QStringList{QStringLiteral("plain.txt/master.txt")} << 0;
    QTest::newRow("path is a folder") << QStringList{QStringLiteral("folder")} << 0;
    QTest::newRow("second fails") << QStringList{QStringLiteral("master.txt"),
                                                 QStringLiteral("missing/send.txt")}
                                  << 1;
    QTest::newRow("middle fails") << QStringList{QStringLiteral("master.txt"),
                                                 QStringLiteral("plain.txt/send.txt"),
                                                 QStringLiteral("notes.txt")}
                                  << 1;
}

void TestRecordFiles::openFailure()
{
    QFETCH(QStringList, paths);
    QFETCH(int, failing);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("plain.txt")), earlier));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("master.txt")), earlier));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    QStringList full;
    QStringList texts;
    for (const QString &path : paths) {
        full.append(dir.filePath(path));
        texts.append(QStringLiteral("new record\r\n"));
    }

    const auto failure = RecordFiles(full).openAndAppend(texts);
    QVERIFY(failure.has_value());
    QCOMPARE(failure->kind, RecordFailure::Kind::Open);
    QCOMPARE(failure->path, full[failing]);
    QVERIFY(!failure->reason.isEmpty());
    const QString message = describe(*failure);
    QVERIFY2(message.contains(QDir::toNativeSeparators(full[failing])), qPrintable(message));
    QVERIFY2(message.contains(failure->reason), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("..")), qPrintable(message));

    // Nothing written anywhere, nothing created where the path failed.
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("master.txt"))), earlier);
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("plain.txt"))), earlier);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    QVERIFY(!QFileInfo(full[failing]).isFile());
    for (qsizetype i = 0; i < full.size(); ++i) {
        if (i != failing)
            QVERIFY2(bytesOf(full[i]).isEmpty() || bytesOf(full[i]) == earlier,
                     qPrintable(full[i]));
    }
}

void TestRecordFiles::writeFailure_data()
{
    QTest::addColumn<int>("fullAt");
    QTest::newRow("second of three") << 1;
    QTest::newRow("first of three") << 0;
    QTest::newRow("last of three") << 2;
}

void TestRecordFiles::writeFailure()
{
    QFETCH(int, fullAt);
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this system");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList paths{dir.filePath(QStringLiteral("master.txt")),
                      dir.filePath(QStringLiteral("send.txt")),
                      dir.filePath(QStringLiteral("notes.txt"))};
    for (const QString &path : paths)
        QVERIFY(writeFile(path, earlier));
    QVERIFY(QFile::remove(paths[fullAt]));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), paths[fullAt]));

    const QStringList texts{QStringLiteral("to master\r\n"), QStringLiteral("to send\r\n"),
                            QStringLiteral("to notes\r\n")};
    const auto failure = RecordFiles(paths).openAndAppend(texts);
    QVERIFY(failure.has_value());
    QCOMPARE(failure->kind, RecordFailure::Kind::Write);
    QCOMPARE(failure->path, paths[fullAt]);
    QVERIFY(!failure->reason.isEmpty());
    QCOMPARE(failure->received, paths.mid(0, fullAt));
    QCOMPARE(failure->notReceived, paths.mid(fullAt));

    for (int i = 0; i < paths.size(); ++i) {
        if (i < fullAt)
            QCOMPARE(bytesOf(paths[i]), earlier + texts[i].toLatin1());
        else if (i > fullAt)
            QCOMPARE(bytesOf(paths[i]), earlier);
    }
    // The failing file and every file that holds the record are named; with none holding it,
    // saying that nothing was recorded is enough.
    const QString message = describe(*failure);
    QVERIFY2(message.contains(QDir::toNativeSeparators(paths[fullAt])), qPrintable(message));
    for (const QString &path : failure->received)
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    if (!failure->received.isEmpty()) {
        for (const QString &path : failure->notReceived)
            QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    }
}

void TestRecordFiles::partialWriteStaysAndTheNextRecordStartsOnItsOwnLine()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString master = dir.filePath(QStringLiteral("master.txt"));
    const QString send = dir.filePath(QStringLiteral("send.txt"));
    const QByteArray earlierRecords = earlier.repeated(100);
    QVERIFY(writeFile(send, earlierRecords));
    const QString longRecord = QString(200, u'x') + QStringLiteral("\r\n");

    // A file size limit lets the kernel accept only part of the second record.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(earlierRecords.size() + 50);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto failure =
        RecordFiles({master, send}).openAndAppend({QStringLiteral("ok\r\n"), longRecord});
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(failure.has_value());
    QCOMPARE(failure->kind, RecordFailure::Kind::Write);
    QCOMPARE(failure->path, send);
    QCOMPARE(failure->received, QStringList{master});
    QCOMPARE(bytesOf(master), QByteArray("ok\r\n"));
    // The part that reached the file stays, after every earlier byte.
    const QByteArray torn = bytesOf(send);
    QCOMPARE(torn, earlierRecords + QByteArray(50, 'x'));

    // The next record closes the torn line and starts on a line of its own; nothing else
    // was left in the folder.
    QCOMPARE(RecordFiles({master, send})
                 .openAndAppend({QStringLiteral("next\r\n"), QStringLiteral("next\r\n")}),
             std::nullopt);
    QCOMPARE(bytesOf(send), torn + "\r\nnext\r\n");
    QCOMPARE(bytesOf(master), QByteArray("ok\r\nnext\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
#else
    QSKIP("needs a POSIX file size limit");
#endif
}

// Who holds the tail lock while the records are appended: nobody, this program itself through
// another open of the file, or another program (util-linux's flock, taking the same lock).
enum LockHolder { Nobody, ThisProgram, AnotherProgram };

void TestRecordFiles::tornTailIsClosedByAppending_data()
{
    QTest::addColumn<QByteArray>("existing"); // null: no file yet
    QTest::addColumn<QByteArray>("between");  // what must come between it and the records
    QTest::addColumn<int>("holder");          // of a tail lock that is never given up

    QTest::newRow("no file") << QByteArray() << QByteArray("") << int(Nobody);
    QTest::newRow("empty file") << QByteArray("") << QByteArray("") << int(Nobody);
    QTest::newRow("ends in CR LF") << earlier << QByteArray("") << int(Nobody);
    QTest::newRow("only CR LF") << QByteArray("\r\n") << QByteArray("") << int(Nobody);
    QTest::newRow("record cut inside a line")
        << (earlier + "......!!!!!!!!....") << QByteArray("\r\n") << int(Nobody);
    QTest::newRow("cut between CR and LF")
        << (earlier + "RESPONSE -->  \r") << QByteArray("\r\n") << int(Nobody);
    QTest::newRow("lone LF from an editor")
        << (earlier + "typed\n") << QByteArray("\r\n") << int(Nobody);
    QTest::newRow("one byte") << QByteArray("x") << QByteArray("\r\n") << int(Nobody);
    QTest::newRow("LF then CR") << QByteArray("a\n\r") << QByteArray("\r\n") << int(Nobody);
    // The lock is waited for its bounded time, then the append goes ahead without it.
    QTest::newRow("cut inside a line, tail locked elsewhere")
        << (earlier + "......!!!!!!!!....") << QByteArray("\r\n") << int(ThisProgram);
    QTest::newRow("cut inside a line, tail locked by another program")
        << (earlier + "......!!!!!!!!....") << QByteArray("\r\n") << int(AnotherProgram);
}

void TestRecordFiles::tornTailIsClosedByAppending()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, between);
    QFETCH(int, holder);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("send.txt"));
    if (!existing.isNull())
        QVERIFY(writeFile(path, existing));
    std::optional<HeldFile> lock;
    if (holder == ThisProgram)
        QVERIFY(lock.emplace(path, HeldFile::TailLock).held());
    QProcess other;
    if (holder == AnotherProgram) {
#ifdef Q_OS_UNIX
        // It says when it holds the lock, and holds it until its input ends.
        other.start(QStringLiteral("flock"),
                    {QStringLiteral("--exclusive"), path, QStringLiteral("sh"),
                     QStringLiteral("-c"), QStringLiteral("echo held; exec cat")});
        QVERIFY2(other.waitForReadyRead(60000), qPrintable(other.errorString()));
        QCOMPARE(other.readLine(), QByteArray("held\n"));
#else
        QSKIP("util-linux's flock is a Linux program");
#endif
    }

    const QString opening = QStringLiteral("\u00C6v\r\nassignment #001\r\n001.  Areas\r\n"
                                           "bexlorin\r\n03-03-2026\r\n");
    const QString response = QStringLiteral("......!!!!!!!!...\r\nRESPONSE -->  \r\nok\r\n");
    QElapsedTimer appending;
    appending.start();
    QCOMPARE(RecordFiles({path}).openAndAppend({opening}), std::nullopt);
    QCOMPARE(RecordFiles({path}).openAndAppend({response}), std::nullopt);
    // Each append waited for the lock as long as it is waited for, not longer than a hang.
    if (holder != Nobody)
        QVERIFY(appending.elapsed() >= 2 * platform::AppendFile::lockWaitMilliseconds);
    other.closeWriteChannel();
    QVERIFY(holder != AnotherProgram || (other.waitForFinished(60000) && other.exitCode() == 0));

    const QByteArray expected = existing + between +
                                "\xC6v\r\nassignment #001\r\n001.  Areas\r\nbexlorin\r\n"
                                "03-03-2026\r\n......!!!!!!!!...\r\nRESPONSE -->  \r\nok\r\n";
    QCOMPARE(bytesOf(path), expected);
}

// Windows only: elsewhere nothing can open a file so that others cannot. Held past the
// retries, the sharing violation is reported; nothing is written.
void TestRecordFiles::fileHeldWithoutSharingIsReported()
{
#ifdef Q_OS_UNIX
    QSKIP("Only Windows lets a program open a file without sharing it.");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("master.txt"));
    QVERIFY(writeFile(path, earlier));
    {
        const HeldFile held(path, HeldFile::NoSharing);
        QVERIFY(held.held());
        const auto failure = RecordFiles({path}).openAndAppend({QStringLiteral("new\r\n")});
        QVERIFY(failure.has_value());
        QCOMPARE(failure->kind, RecordFailure::Kind::Open);
        QCOMPARE(failure->reason, platform::systemReason(ERROR_SHARING_VIOLATION));
    }
    QCOMPARE(bytesOf(path), earlier);
#endif
}

void TestRecordFiles::unstorable_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<uint>>("characters");

    const QString pi = QString::fromUtf16(u"\u03C0");
    const QString arrow = QString::fromUtf16(u"\u2192");
    QTest::newRow("pi in the second text")
        << QStringList{QStringLiteral("fine\r\n"),
                       QStringLiteral("A = ") + pi + QStringLiteral("r^2")}
        << QList<uint>{0x03C0};
    QTest::newRow("arrow in the first text")
        << QStringList{QStringLiteral("a ") + arrow + QStringLiteral(" b"), QStringLiteral("ok")}
        << QList<uint>{0x2192};
    QTest::newRow("both, each once")
        << QStringList{arrow + pi, pi + arrow + pi} << QList<uint>{0x2192, 0x03C0};
    QTest::newRow("emoji") << QStringList{QString::fromUcs4(U"\U0001F600", 1), QString()}
                           << QList<uint>{0x1F600};
    QTest::newRow("storable") << QStringList{QString::fromUtf16(u"\u20AC\u00E9\u0081"), QString()}
                              << QList<uint>{};
}

void TestRecordFiles::unstorable()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<uint>, characters);

    const auto checked = checkStorable(texts);
    QCOMPARE(checked.has_value(), !characters.isEmpty());
    if (!checked)
        return;
    QCOMPARE(checked->kind, RecordFailure::Kind::Unstorable);
    QCOMPARE(asCodePoints(checked->characters), characters);

    const QString message = describe(*checked);
    for (const uint c : characters) {
        const char32_t character = c;
        QVERIFY2(message.contains(QString::fromUcs4(&character, 1)), qPrintable(message));
    }
    if (characters.contains(0x03C0))
        QVERIFY2(message.contains(QRegularExpression(QStringLiteral("\\bpi\\b"))),
                 qPrintable(message));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList paths{dir.filePath(QStringLiteral("master.txt")),
                            dir.filePath(QStringLiteral("send.txt"))};
    const auto refused = RecordFiles(paths).openAndAppend(texts);
    QVERIFY(refused.has_value());
    QCOMPARE(refused->kind, RecordFailure::Kind::Unstorable);
    QCOMPARE(asCodePoints(refused->characters), characters);
    QVERIFY(!QFile::exists(paths[0]));
    QVERIFY(!QFile::exists(paths[1]));

    // Already open: still nothing written, not even the storable text of the first file.
    RecordFiles files(paths);
    QCOMPARE(files.open(), std::nullopt);
    const auto late = files.append(texts);
    QVERIFY(late.has_value());
    QCOMPARE(late->kind, RecordFailure::Kind::Unstorable);
    QCOMPARE(bytesOf(paths[0]), QByteArray(""));
    QCOMPARE(bytesOf(paths[1]), QByteArray(""));
}

void TestRecordFiles::lineRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("viewer");

    const auto s = [](const char16_t *text) { return QString::fromUtf16(text); };
    QTest::newRow("CR LF after each")
        << s(u"a\r\nb\r\n") << QStringList{s(u"a"), s(u"b")} << s(u"\r\na\r\nb");
    QTest::newRow("CR alone") << s(u"a\rb") << QStringList{s(u"a"), s(u"b")} << s(u"\r\na\r\nb");
    QTest::newRow("LF alone stays") << s(u"a\nb") << QStringList{s(u"a\nb")} << s(u"\r\na\nb");
    QTest::newRow("empty") << QString() << QStringList{} << QString();
    QTest::newRow("one empty line") << s(u"\r\n") << QStringList{QString()} << s(u"\r\n");
    QTest::newRow("empty line between")
        << s(u"a\r\n\r\nb") << QStringList{s(u"a"), QString(), s(u"b")} << s(u"\r\na\r\n\r\nb");
    QTest::newRow("last line without end")
        << s(u"a\r\nb") << QStringList{s(u"a"), s(u"b")} << s(u"\r\na\r\nb");
    QTest::newRow("two CRs") << s(u"\r\r") << QStringList{QString(), QString()} << s(u"\r\n\r\n");
    QTest::newRow("LF after CR LF")
        << s(u"a\r\n\nb") << QStringList{s(u"a"), s(u"\nb")} << s(u"\r\na\r\n\nb");
}

void TestRecordFiles::lineRules()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QString, viewer);
    QCOMPARE(readLines(text), lines);
    QCOMPARE(viewerText(text), viewer);
}

QTEST_GUILESS_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
