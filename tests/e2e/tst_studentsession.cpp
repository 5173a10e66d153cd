// SPDX-License-Identifier: MIT
// A student's session in the real program: its own X server, the built binary, and xdotool
// for every key and click. The record files it leaves are then checked line by line.
#include "bank/assignmentcontent.h"
#include "records/codepage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

constexpr int twipsPerPixel = 15;
constexpr int waitMs = 20000;

// Where a click lands: the middle of a control's rectangle, given in twips as the window's
// layout gives it, converted to client pixels.
QPoint centreOf(int left, int top, int width, int height)
{
    return {(left + width / 2) / twipsPerPixel, (top + height / 2) / twipsPerPixel};
}

const QPoint nextQuestion = centreOf(240, 0, 975, 735);
const QPoint answerBox = centreOf(5640, 720, 5055, 3255);
const QPoint enterResponse = centreOf(5640, 240, 855, 495);
const QPoint saveAsNotes = centreOf(6480, 240, 855, 495);
const QPoint displaySend = centreOf(4200, 240, 855, 495);
const QPoint displayNotes = centreOf(3240, 240, 135, 495);
const QPoint quitProgram = QPoint(10200 / twipsPerPixel + 20, 495 / 2 / twipsPerPixel);

QStringList lines(const QByteArray &bytes)
{
    return records::codepage::decode(bytes).split(QStringLiteral("\r\n"));
}

} // namespace

class TestStudentSession : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir home_;
    QProcess xserver_;
    QString display_;
    QProcess program_;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path() + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // xdotool types characters such as e-acute only in a UTF-8 locale; CI may have none.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return env;
    }

    // Runs xdotool and returns what it printed.
    QString xdotool(const QStringList &arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(QStringLiteral("xdotool"), arguments);
        // A search that finds nothing exits with 1; anything else failing is worth a word.
        if (!tool.waitForFinished(waitMs) ||
            (tool.exitCode() != 0 && arguments.first() != u"search"))
            qWarning() << "xdotool" << arguments << tool.readAllStandardError();
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    QStringList visibleWindows(const QString &title)
    {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), u'^' + title + u'$'})
            .split(u'\n', Qt::SkipEmptyParts);
    }

    QString waitForWindow(const QString &title)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < waitMs) {
            const QStringList found = visibleWindows(title);
            if (!found.isEmpty())
                return found.first();
            QThread::msleep(25);
        }
        return {};
    }

    bool waitUntilGone(const QString &window, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (visibleWindows(QStringLiteral("Bexlorin")).contains(window)) {
            if (clock.elapsed() > ms)
                return false;
            QThread::msleep(25);
        }
        return true;
    }

    // Answers one prompt: type into it, press Return, wait until it has gone. On a busy
    // machine the first keys can reach the prompt before it has the focus; then the answer
    // is typed again over whatever arrived.
    bool answerPrompt(const QString &text)
    {
        const QString prompt = waitForWindow(QStringLiteral("Bexlorin"));
        if (prompt.isEmpty())
            return false;
        for (int attempt = 0; attempt < 3; ++attempt) {
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), prompt});
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
            if (!text.isEmpty())
                xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"),
                         text});
            xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            if (waitUntilGone(prompt, attempt < 2 ? 3000 : waitMs))
                return true;
        }
        return false;
    }

    // xdotool types a character that has no key by remapping a spare key on the fly, and the
    // program may read the key before it learns of the new map. Keys of their own, mapped
    // before the program starts, take that race away.
    void giveKeysTo(const QStringList &keysyms)
    {
        QProcess keymap;
        keymap.setProcessEnvironment(environment());
        keymap.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
        QVERIFY(keymap.waitForFinished(waitMs));
        QStringList spare;
        for (const QString &line :
             QString::fromLatin1(keymap.readAllStandardOutput()).split(u'\n')) {
            const QStringList words = line.simplified().split(u' ');
            if (words.size() == 3 && words[0] == u"keycode" && words[2] == u"=" &&
                words[1].toInt() > 8)
                spare.append(words[1]);
        }
        QVERIFY(spare.size() >= keysyms.size());
        QStringList expressions;
        for (qsizetype i = 0; i < keysyms.size(); ++i)
            expressions << QStringLiteral("-e")
                        << QStringLiteral("keycode %1 = %2").arg(spare[i], keysyms[i]);
        keymap.start(QStringLiteral("xmodmap"), expressions);
        QVERIFY(keymap.waitForFinished(waitMs));
        QCOMPARE(keymap.exitCode(), 0);
    }

    void click(const QString &window, QPoint at)
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                 QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    }

    void typeIntoAnswerBox(const QString &window, const QString &text)
    {
        click(window, answerBox);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "xdotool", "xmodmap"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is missing: run scripts/install-deps")
                                     .arg(QString::fromLatin1(tool))));
        }
        QVERIFY(home_.isValid());
        QVERIFY(QDir(home_.path()).mkdir(QStringLiteral("runtime")));
        QFile::setPermissions(home_.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // A display number nobody holds, then wait for the server's socket.
        int number = 90 + int(QCoreApplication::applicationPid() % 100);
        while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            ++number;
        display_ = u':' + QString::number(number);
        xserver_.start(QStringLiteral("Xvfb"),
                       {display_, QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        QVERIFY(xserver_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)),
                                 waitMs);
    }

    void cleanupTestCase()
    {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished();
        }
        xserver_.terminate();
        xserver_.waitForFinished();
    }

    void studentAnswersRatesNotesAndQuits()
    {
        const QString folder = home_.path() + QStringLiteral("/records");
        QVERIFY(QDir().mkdir(folder));

        program_.setProcessEnvironment(environment());
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(QStringLiteral(BEXLORIN_PROGRAM), {});
        QVERIFY(program_.waitForStarted());

        // The four start-up prompts come before any main window.
        QVERIFY(answerPrompt(QStringLiteral("Student One")));
        QVERIFY(visibleWindows(QStringLiteral("Form1")).isEmpty());
        QVERIFY(answerPrompt(QStringLiteral("1")));
        QVERIFY(answerPrompt(folder));
        QVERIFY(answerPrompt(QStringLiteral("1")));
        const QString window = waitForWindow(QStringLiteral("Form1"));
        QVERIFY(!window.isEmpty());
        QVERIFY(xdotool({QStringLiteral("getwindowgeometry"), window})
                    .contains(QStringLiteral("Geometry: 725x566")));
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});

        // A question, a response and its confidence.
        click(window, nextQuestion);
        typeIntoAnswerBox(window, QStringLiteral("A = 4 m * 3 m = 12 m^2, caf"));
        xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50"),
                 QStringLiteral("eacute"), QStringLiteral("space"), QStringLiteral("degree")});
        click(window, enterResponse);
        QVERIFY(answerPrompt(QStringLiteral("2")));

        // The worked answer, a critique and its rating.
        click(window, nextQuestion);
        typeIntoAnswerBox(window, QStringLiteral("Same as the worked answer."));
        // Tab leaves the box and types nothing: the recorded critique below has no tab.
        xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
        click(window, enterResponse);
        QVERIFY(answerPrompt(QStringLiteral("3")));

        // A note, then both viewers.
        typeIntoAnswerBox(window, QStringLiteral("Remember: m * m = m^2"));
        click(window, saveAsNotes);
        click(window, displaySend);
        click(window, displayNotes);
        QVERIFY(visibleWindows(QStringLiteral("Bexlorin")).isEmpty()); // no message came up

        click(window, quitProgram);
        QVERIFY(program_.waitForFinished(waitMs));
        QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program_.exitCode(), 0);

        checkRecords(folder);
    }

private:
    void checkRecords(const QString &folder)
    {
        const QString date = QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy"));
        const QString monthDay = date.left(2) + date.mid(3, 2);
        const QByteArray master = [&] {
            QFile file(folder + QStringLiteral("/masterFile_Student_One.txt"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QFile sendFile(folder + QStringLiteral("/send_") + monthDay +
                       QStringLiteral("Student_One.txt"));
        QFile notesFile(folder + QStringLiteral("/notes_Student_One.txt"));
        QVERIFY(sendFile.open(QIODevice::ReadOnly));
        QVERIFY(notesFile.open(QIODevice::ReadOnly));
        const QByteArray send = sendFile.readAll();
        const QByteArray notes = notesFile.readAll();

        // Every line ends in CR LF, and the typed e-acute and degree sign are single bytes.
        for (const QByteArray &file : {master, send, notes}) {
            QVERIFY(file.endsWith("\r\n"));
            QCOMPARE(file.count('\n'), file.count("\r\n"));
        }
        QVERIFY2(master.contains("caf\xe9 \xb0"),
                 master.mid(master.indexOf("12 m^2"), 20).toPercentEncoding().constData());
        QVERIFY(send.contains("caf\xe9 \xb0"));

        const QStringList content = bank::assignmentContent();
        const QString question = content[2];
        const QString answer = content[4].mid(2);
        const QString stamp = QStringLiteral(" {36}\\d\\d:\\d\\d:\\d\\d");
        const QString dateStamp = QStringLiteral(" {36}\\d\\d-\\d\\d-\\d{4}\\d\\d:\\d\\d:\\d\\d");
        const QString open = QRegularExpression::escape(
            QStringLiteral("......!!!!!!!!..................................."));
        const QString close = QRegularExpression::escape(QString(49, u'.'));
        const auto exact = [](const QString &text) {
            return QRegularExpression::escape(text).replace(QStringLiteral("\\\r\\\n"),
                                                            QStringLiteral("\r\n"));
        };
        const auto noteRecord =
            open + u'\n' + stamp + u'\n' + dateStamp + u'\n' + exact(answer) + u'\n' + open +
            u'\n' + exact(QStringLiteral("NOTES -------> Remember: m * m = m^2")) + u'\n' + close;
        const auto responseRecord = [&](bool master, const QString &entry, int n,
                                        const QString &response, const QString &rating) {
            QString record = open + u'\n' + stamp + u'\n';
            if (master)
                record += QStringLiteral("\n\n") +
                          exact(QStringLiteral("`questionNumber %1 ").arg(n)) + u'\n';
            return record + exact(entry) + u'\n' + open + u'\n' +
                   exact(QStringLiteral("RESPONSE -->  ")) + u'\n' + exact(response) + u'\n' +
                   exact(rating) + u'\n' + close;
        };
        const auto whole = [&](bool master) {
            const QString opening =
                QStringLiteral("[^\r\n]{19,56}\n") +
                exact(QStringLiteral("assignment #001\n001.  Areas\nbexlorin\n")) +
                QRegularExpression::escape(date);
            return u'^' + opening + u'\n' +
                   responseRecord(master, question, 10001,
                                  QStringLiteral("A = 4 m * 3 m = 12 m^2, caf\u00e9 \u00b0"),
                                  QStringLiteral("confidence assessment:  2")) +
                   u'\n' +
                   responseRecord(master, answer, 10001,
                                  QStringLiteral("Same as the worked answer."),
                                  QStringLiteral("self critique assessment: 3")) +
                   u'\n' + noteRecord + QStringLiteral("\n$");
        };
        // Match on "\n"-joined lines: each file line is one pattern line.
        const auto check = [](const QByteArray &bytes, const QString &pattern) {
            const QString text = lines(bytes).join(u'\n');
            const QRegularExpression expression(
                QString(pattern).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            QVERIFY2(expression.isValid(), qPrintable(expression.errorString()));
            QVERIFY2(expression.match(text).hasMatch(), qPrintable(text.left(3000)));
        };
        check(master, whole(true));
        check(send, whole(false));
        check(notes, u'^' + noteRecord + QStringLiteral("\n$"));
        // The code line is the same in both files.
        QCOMPARE(master.left(master.indexOf('\r')), send.left(send.indexOf('\r')));
    }
};

QTEST_GUILESS_MAIN(TestStudentSession)
#include "tst_studentsession.moc"
