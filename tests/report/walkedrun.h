// SPDX-License-Identifier: MIT
#pragma once

#include "app/bexlorin.h"
#include "fakeplatform.h"
#include "records/recordcomposition.h"
#include "report/recordtypes.h"

#include <QDateTime>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <memory>

// A student's whole walk through one assignment on the scripted platform: every question and
// worked answer gets a typed response and a rating, every third entry a note as well. What
// was typed is kept as the record the reader must find.
struct WalkedRun
{
    QString master;
    QString send;
    QString notes;
    int codeNumber = 0;
    QString date;
    QList<report::Record> expected; // in the order written
};

// What a student pastes from the send file's viewer: the start of an earlier record (its
// opening rule and time stamp) and then words of their own, not a record the program writes.
inline QString pastedRecordStart()
{
    using namespace records::fixedtext;
    return QStringLiteral("pasted:\r\n%1\r\n%2%3\r\nwhat I had")
        .arg(openingRule, stampIndent, QStringLiteral("09:05:30"));
}

// Responses with what students type: several lines, commas, quotes, characters of the code
// page beyond ASCII, blanks at the ends, an empty response, the start of a record pasted.
inline QString typedResponse(int step)
{
    static const QStringList texts = {
        QStringLiteral("A = L * W = 4 m * 3 m = 12 m²"),
        QStringLiteral("two lines:\r\nhalf of 12 m² is 6 m², \"I think\""),
        QStringLiteral("  blanks around  "),
        QStringLiteral("V = 35 cm² * 3 cm = 105 cm³; résumé, ½ and µ"),
        QString(),
        QStringLiteral("confidence assessment:  3\r\nI typed the label myself"),
        QStringLiteral("last\r\n\r\nparagraph after an empty line"),
        pastedRecordStart(),
    };
    return texts[step % texts.size()];
}

// Ratings as typed: the four numbers, a cancelled prompt, words and numbers out of range.
inline QString typedRating(int step)
{
    static const QStringList ratings = {QStringLiteral("3"),
                                        QStringLiteral("0"),
                                        QStringLiteral("2"),
                                        QStringLiteral("1"),
                                        QString(),
                                        QStringLiteral("7"),
                                        QStringLiteral("pretty sure"),
                                        QStringLiteral(" 2 ")};
    return ratings[step % ratings.size()];
}

// Walks assignment `assignment` (1..4) from its first question to its closing line. The
// offset varies the texts; the start time seeds the code number, and the clock moves on by
// `secondsPerStep` at every reading, so that the time stamps show time spent. A run stops
// after `steps` entries when that is not -1 (left unfinished); `filled` types no empty
// response.
inline WalkedRun walkAssignment(const QString &folder, const QString &student, int assignment,
                                int offset = 0, QTime start = QTime(9, 5, 30),
                                int secondsPerStep = 0, int steps = -1,
                                QDate day = QDate(2026, 3, 3), bool filled = false)
{
    WalkedRun walked;
    // A window on the scripted platform, as a Session makes it, but with the clock set first.
    struct
    {
        FakePlatform platform;
        std::unique_ptr<Bexlorin> window;
        void type(const QString &text) const { window->txt_answer->setPlainText(text); }
    } run;
    run.platform.defaultFolder = folder;
    run.platform.clock = QDateTime(day, start);
    run.platform.secondsPerClockRead = secondsPerStep;
    for (const QString &answer : {student, QString(), QString::number(assignment)})
        run.platform.answers.enqueue(answer);
    run.window = std::make_unique<Bexlorin>(run.platform);
    if (!run.window->load())
        return walked;
    const app::RunFields &fields = run.window->runFields();
    walked.master = fields.masterFileName;
    walked.send = fields.sendFileName;
    walked.notes = fields.notesFileName;
    walked.codeNumber = int(fields.runCodeNbr);
    walked.date = run.platform.clock.date().toString(QStringLiteral("MM-dd-yyyy"));
    for (int step = offset; steps < 0 || step < offset + steps; ++step) {
        run.window->cmdNextQuestion->click();
        if (run.window->hasEnded())
            break;
        const cycle::QuestionReader &reader = run.window->reader();
        report::Record record;
        record.assignment = assignment;
        record.question = reader.questionNumber.toInt();
        record.kind = reader.currentKind == cycle::questionKind ? report::RecordKind::Question
                                                                : report::RecordKind::Answer;
        record.response = typedResponse(step);
        if (filled && record.response.trimmed().isEmpty())
            record.response = QStringLiteral("filled in");
        record.hasRatingLine = true;
        record.ratingTyped = typedRating(step);
        const QString trimmed = record.ratingTyped.trimmed();
        if (trimmed.size() == 1 && trimmed[0] >= u'0' && trimmed[0] <= u'3')
            record.rating = trimmed.toInt();
        run.platform.answers.enqueue(record.ratingTyped);
        run.type(QString(record.response).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        run.window->cmd_enter_response->click();
        walked.expected.append(record);
        if (step % 3 == 0) {
            report::Record note = record;
            note.kind = report::RecordKind::Note;
            note.response =
                step % 2 == 0
                    ? QStringLiteral("note %1, with a comma\r\nand a second line").arg(step)
                    : pastedRecordStart();
            note.hasRatingLine = false;
            note.ratingTyped.clear();
            note.rating.reset();
            run.type(QString(note.response).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            run.window->cmd_save_as_notes->click();
            walked.expected.append(note);
        }
    }
    return walked;
}
