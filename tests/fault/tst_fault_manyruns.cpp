// SPDX-License-Identifier: MIT
// A thousand runs, one after another, appended to the same record files: every run must leave
// every earlier byte as it was, and a reader must still find each run's code number.
#include "recordreader.h"
#include "records/codepage.h"
#include "records/linecoding.h"
#include "session.h"
#include "testwait.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int runs = 1000;

// The SHA-256 of the file's first `length` bytes; a null array when it is shorter.
QByteArray prefixHash(const QString &path, qint64 length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray prefix = file.read(length);
    if (prefix.size() != length)
        return {};
    return QCryptographicHash::hash(prefix, QCryptographicHash::Sha256);
}

struct Watched
{
    QString path;
    qint64 size = 0;
    QByteArray hash; // of the whole file when it was `size` bytes long
};

} // namespace

class TestFaultManyRuns : public QObject
{
    Q_OBJECT

public:
    static void initMain() { testwait::raiseFunctionCeiling(20); }

private slots:
    void aThousandRunsOnTheSameFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QList<float> codeNumbers;
        QList<Watched> watched;

        for (int run = 0; run < runs; ++run) {
            // A window on the scripted platform, as a Session makes it, but with the clock set
            // before the load.
            FakePlatform platform;
            platform.defaultFolder = dir.path();
            // Same day, so the same send file; a new time of day, so a new seed and code number.
            platform.clock = QDateTime(QDate(2026, 3, 3), QTime(8, 0, 0).addSecs(run * 17));
            for (const char *answer : {"Kim Doe", "", "1", "2"})
                platform.answers.enqueue(QString::fromLatin1(answer));
            auto window = std::make_unique<Bexlorin>(platform);
            QVERIFY2(window->load(), qPrintable(QStringLiteral("run %1 did not start").arg(run)));
            window->cmdNextQuestion->click();
            window->txt_answer->setPlainText(QStringLiteral("Response of run %1.").arg(run));
            window->cmd_enter_response->click();
            QVERIFY2(platform.messagesShown.isEmpty(), qPrintable(platform.messagesShown.value(0)));
            QCOMPARE(window->txt_answer->toPlainText(), QString());
            codeNumbers.append(window->runFields().runCodeNbr);

            if (watched.isEmpty()) {
                const QByteArray empty = QCryptographicHash::hash({}, QCryptographicHash::Sha256);
                watched = {{window->runFields().masterFileName, 0, empty},
                           {window->runFields().sendFileName, 0, empty}};
            }
            for (Watched &file : watched) {
                QCOMPARE(prefixHash(file.path, file.size), file.hash);
                file.size = QFileInfo(file.path).size();
                file.hash = prefixHash(file.path, file.size);
                QVERIFY(!file.hash.isNull());
            }
        }
        // Every run's code number occurs, and no other.
        QCOMPARE(QSet<float>(codeNumbers.cbegin(), codeNumbers.cend()).size(), 10);

        const auto master =
            recordreader::parse(fileBytes(watched[0].path), recordreader::FileKind::Master);
        QVERIFY2(master.error.isEmpty(), qPrintable(master.error));
        QCOMPARE(master.count(recordreader::Record::Kind::Response), runs);
        QList<int> found;
        for (const recordreader::Record &record : master.records) {
            if (record.kind == recordreader::Record::Kind::Opening)
                found.append(records::codeNumberOf(records::codepage::decode(record.lines[0])));
        }
        QCOMPARE(found.size(), runs);
        for (int run = 0; run < runs; ++run) {
            QVERIFY2(found[run] >= 19 && found[run] <= 28,
                     qPrintable(QStringLiteral("run %1: code number %2").arg(run).arg(found[run])));
            QCOMPARE(found[run], int(codeNumbers[run]));
        }
        const auto send =
            recordreader::parse(fileBytes(watched[1].path), recordreader::FileKind::Send);
        QVERIFY2(send.error.isEmpty(), qPrintable(send.error));
        QCOMPARE(send.count(recordreader::Record::Kind::Opening), runs);
    }
};

QTEST_MAIN(TestFaultManyRuns)
#include "tst_fault_manyruns.moc"
