// SPDX-License-Identifier: MIT
// A student's session in the real program: its own X server, the built binary, and xdotool
// for every key and click. The record files it leaves are then checked line by line.
// With BEXLORIN_WINDOWS_PROGRAM naming bexlorin.exe, the same session drives the Windows
// build under Wine in a prefix of its own, keeping the default folder c:\tarnwick.
#include "bank/assignmentcontent.h"
#include "records/codepage.h"
#include "testwait.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

namespace {

constexpr int twipsPerPixel = 15;

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
    QByteArray serverOutput_;
    QString display_;
    QProcess program_;
    bool started_ = false;
    QString why_;
    const QString windowsProgram_ = qEnvironmentVariable("BEXLORIN_WINDOWS_PROGRAM");

    bool underWine() const { return !windowsProgram_.isEmpty(); }
    QString winePrefix() const { return home_.path() + QStringLiteral("/wineprefix"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path() + QStringLiteral("/runtime"));
        // xdotool types characters such as e-acute only in a UTF-8 locale; CI may have none.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        if (underWine()) {
            env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the Windows plugin, as on Windows
            env.insert(QStringLiteral("WINEPREFIX"), winePrefix());
            env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
            // No Mono or Gecko installer dialogs when the prefix is made.
            env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        }
        return env;
    }

    // Empty while the X server (and the program, once started) runs; otherwise what ended,
    // with the server's own words.
    QString trouble()
    {
        if (xserver_.state() != QProcess::Running || xserver_.waitForFinished(0)) {
            serverOutput_ += xserver_.readAllStandardError();
            const QString how = xserver_.exitStatus() == QProcess::CrashExit
                                    ? QStringLiteral("it crashed")
                                    : QStringLiteral("exit code %1").arg(xserver_.exitCode());
            return QStringLiteral("the X server ended (") + how + QStringLiteral("); it said: ") +
                   QString::fromLocal8Bit(serverOutput_);
        }
        if (started_ && (program_.state() != QProcess::Running || program_.waitForFinished(0)))
            return QStringLiteral("the program ended (exit code %1)").arg(program_.exitCode());
        return {};
    }

    // Waits until `done` holds, checking between looks that the server and the program are
    // still there; the ceiling only stops a hang. Each look is a round trip to the X server.
    // When it gives up, why_ says what ended or what never came.
    bool waitUntil(const std::function<bool()> &done, const QString &what)
    {
        const QDeadlineTimer ceiling(testwait::hangMs());
        while (!done()) {
            why_ = trouble();
            if (why_.isEmpty() && ceiling.hasExpired())
                why_ = what + QStringLiteral(": not within the ceiling");
            if (!why_.isEmpty())
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    // Runs xdotool and returns what it printed.
    QString xdotool(const QStringList &arguments)
    {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(QStringLiteral("xdotool"), arguments);
        // A search that finds nothing exits with 1; anything else failing is worth a word.
        if (!tool.waitForFinished(testwait::hangMs()) ||
            (tool.exitCode() != 0 && arguments.first() != u"search"))
            qWarning() << "xdotool" << arguments << tool.readAllStandardError() << trouble();
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
        QStringList found;
        waitUntil(
            [&] {
                found = visibleWindows(title);
                return !found.isEmpty();
            },
            QStringLiteral("a window named ") + title);
        return found.value(0);
    }

    // Answers one prompt: give it the focus, type into it, press Return, wait until it has
    // gone.
    bool answerPrompt(const QString &text)
    {
        const QString prompt = waitForWindow(QStringLiteral("Bexlorin"));
        if (prompt.isEmpty())
            return false;
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), prompt});
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
        if (!text.isEmpty())
            xdotool(
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        return waitUntil(
            [&] { return !visibleWindows(QStringLiteral("Bexlorin")).contains(prompt); },
            QStringLiteral("the prompt's end after \"") + text + u'"');
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

    // Pastes letters that have no key of their own, as a student would: xdotool would type
    // them on a key it remaps on the fly, which the program may read before or after the
    // remapping, and Wine drops such keys altogether.
    void pasteLetters(const QString &text)
    {
        const QStringList clipboard{QStringLiteral("-selection"), QStringLiteral("clipboard")};
        QProcess copy;
        copy.setProcessEnvironment(environment());
        // xclip stays behind to serve the clipboard; it ends with the X server.
        copy.start(QStringLiteral("xclip"), clipboard + QStringList{QStringLiteral("-i")});
        QVERIFY(copy.waitForStarted(testwait::hangMs()));
        copy.write(text.toUtf8());
        copy.closeWriteChannel();
        QVERIFY(copy.waitForFinished(testwait::hangMs()));
        // Read it back, so that the clipboard holds the text before the keys are sent.
        QProcess look;
        look.setProcessEnvironment(environment());
        look.start(QStringLiteral("xclip"), clipboard + QStringList{QStringLiteral("-o")});
        QVERIFY(look.waitForFinished(testwait::hangMs()));
        QCOMPARE(QString::fromUtf8(look.readAllStandardOutput()), text);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+v")});
    }

private slots:
    void initTestCase()
    {
        QStringList tools{QStringLiteral("Xvfb"), QStringLiteral("xdotool"),
                          QStringLiteral("xclip")};
        if (underWine())
            tools << QStringLiteral("wine");
        for (const QString &tool : std::as_const(tools)) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QFAIL(qPrintable(tool + QStringLiteral(" is missing: run scripts/install-deps")));
        }
        QVERIFY(home_.isValid());
        QVERIFY(QDir(home_.path()).mkdir(QStringLiteral("runtime")));
        QFile::setPermissions(home_.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // The server picks a free display itself and, once it takes connections, writes its
        // number to the descriptor given (here its standard output). Without -noreset it
        // would start afresh each time its last client leaves, as every xdotool call that
        // looks for the first window does, and a program connecting just then is turned away.
        xserver_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-noreset"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        QVERIFY2(xserver_.waitForStarted(testwait::hangMs()), qPrintable(xserver_.errorString()));
        while (!xserver_.canReadLine() && xserver_.waitForReadyRead(testwait::hangMs())) {
        }
        const QByteArray number = xserver_.readLine().trimmed();
        bool isNumber = false;
        number.toUInt(&isNumber);
        QVERIFY2(isNumber, qPrintable(QStringLiteral("Xvfb reported no display: ") +
                                      QString::fromLocal8Bit(xserver_.readAllStandardError())));
        display_ = u':' + QString::fromLatin1(number);
        QVERIFY2(trouble().isEmpty(), qPrintable(trouble()));

        if (underWine()) {
            // A new prefix takes a while to make; the prompts' waits are not meant for that.
            QProcess prepare;
            prepare.setProcessEnvironment(environment());
            prepare.setProcessChannelMode(QProcess::ForwardedChannels);
            prepare.start(QFileInfo(QStringLiteral(BEXLORIN_WINE_RUN))
                              .dir()
                              .filePath(QStringLiteral("wine-prefix")));
            QVERIFY(prepare.waitForFinished(testwait::hangMs(3)));
            QCOMPARE(prepare.exitCode(), 0);
        }
    }

    void cleanupTestCase()
    {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished();
        }
        if (underWine()) {
            // No Wine process of this prefix outlives the test.
            QProcess server;
            server.setProcessEnvironment(environment());
            server.start(QStringLiteral("wineserver"), {QStringLiteral("-k")});
            server.waitForFinished(testwait::hangMs());
        }
        xserver_.terminate();
        xserver_.waitForFinished();
    }

    void studentAnswersRatesNotesAndQuits()
    {
        // On Linux the student names a folder of their own; under Wine the program's default
        // c:\tarnwick is kept, which the program itself must create.
        const QString folder = underWine() ? winePrefix() + QStringLiteral("/drive_c/tarnwick")
                                           : home_.path() + QStringLiteral("/records");
        if (!underWine())
            QVERIFY(QDir().mkdir(folder));

        QVERIFY2(trouble().isEmpty(), qPrintable(trouble()));
        program_.setProcessEnvironment(environment());
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        if (underWine())
            program_.start(QStringLiteral(BEXLORIN_WINE_RUN), {windowsProgram_});
        else
            program_.start(QStringLiteral(BEXLORIN_PROGRAM), {});
        QVERIFY(program_.waitForStarted(testwait::hangMs()));
        started_ = true;

        // The four start-up prompts come before any main window.
        QVERIFY2(answerPrompt(QStringLiteral("Student One")), qPrintable(why_));
        QVERIFY(visibleWindows(QStringLiteral("Form1")).isEmpty());
        if (underWine()) {
            QVERIFY(QFileInfo(folder).isDir());
            QVERIFY(QDir(folder).isEmpty());
            QVERIFY2(answerPrompt(QString()), qPrintable(why_));
        } else {
            QVERIFY2(answerPrompt(QStringLiteral("1")), qPrintable(why_));
            QVERIFY2(answerPrompt(folder), qPrintable(why_));
        }
        QVERIFY2(answerPrompt(QStringLiteral("1")), qPrintable(why_));
        const QString window = waitForWindow(QStringLiteral("Form1"));
        QVERIFY2(!window.isEmpty(), qPrintable(why_));
        QVERIFY(xdotool({QStringLiteral("getwindowgeometry"), window})
                    .contains(QStringLiteral("Geometry: 725x566")));
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});

        // A question, a response and its confidence.
        click(window, nextQuestion);
        typeIntoAnswerBox(window, QStringLiteral("A = 4 m * 3 m = 12 m^2, caf"));
        pasteLetters(QStringLiteral("\u00e9 \u00b0"));
        click(window, enterResponse);
        QVERIFY2(answerPrompt(QStringLiteral("2")), qPrintable(why_));

        // The worked answer, a critique and its rating.
        click(window, nextQuestion);
        typeIntoAnswerBox(window, QStringLiteral("Same as the worked answer."));
        // Tab leaves the box and types nothing: the recorded critique below has no tab.
        xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
        click(window, enterResponse);
        QVERIFY2(answerPrompt(QStringLiteral("3")), qPrintable(why_));

        // A note, then both viewers.
        typeIntoAnswerBox(window, QStringLiteral("Remember: m * m = m^2"));
        click(window, saveAsNotes);
        click(window, displaySend);
        click(window, displayNotes);
        QVERIFY(visibleWindows(QStringLiteral("Bexlorin")).isEmpty()); // no message came up

        click(window, quitProgram);
        started_ = false; // from here on the program is meant to end
        QVERIFY(program_.waitForFinished(testwait::hangMs()));
        QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program_.exitCode(), 0);

        checkRecords(folder);
        // The three record files and nothing beside them.
        QCOMPARE(
            QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
            3);
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
