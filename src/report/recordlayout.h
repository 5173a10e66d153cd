// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordlines.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace report {

class LookAhead;
class QuestionIndex;

// Records and opening blocks recognised on the lines ahead, in the layouts the drill program
// writes them: a record is an opening rule, a time stamp, the date-and-time stamp of a note or
// the question-number lines of a master file's response, the entry that was shown, a second
// opening rule, the response head or the notes label, the typed text, the rating line that the
// entry calls for, and a closing rule. Whatever else stands between records was typed or edited.
// Every answer depends only on the lines from where it is asked on (never on lines before,
// read sizes or buffer positions); lines are named by their index in the look-ahead.
class RecordLayout
{
public:
    enum class Form { Notes, MasterResponse, SendResponse };
    // A notes file holds notes records only; a master file's responses have their
    // question-number lines and a send file's have none.
    struct Forms
    {
        bool masterResponses = true;
        bool sendResponses = true;
        bool runs = true; // opening blocks
    };
    // What a record's closing rule follows: its text alone (a note, or a response before
    // anything marked was shown), or the rating line its entry calls for (either rating for an
    // entry that is not one of the built-in assignments).
    enum class Closing { AfterText, AfterConfidence, AfterSelfCritique, AfterRating };

    // A record's start up to its second opening rule, with the head line when it follows.
    // Places count from the record's opening rule.
    struct Start
    {
        Form form = Form::SendResponse;
        qsizetype entry = 0;
        qsizetype rule = 0;
        bool headed = false;
        Closing closing = Closing::AfterText;
        // A note's text starts on its head line; a response's after it (or where it should be).
        qsizetype text() const { return form == Form::Notes || !headed ? rule + 1 : rule + 2; }
    };

    RecordLayout(LookAhead &ahead, const QuestionIndex &index, Forms forms);

    // The form of a record starting at `at`, told by the lines after its time stamp, among
    // those given.
    std::optional<Form> form(qsizetype at, Forms forms);
    // Whether the file holds records of `form`; a file whose name says otherwise than its
    // records is taken to hold both.
    bool holds(Form form) const;
    void alsoHold(Form form);
    // A record starting at `at`, as written up to its second opening rule.
    std::optional<Start> start(qsizetype at);
    // The same with its response head or notes label.
    bool startsHeaded(qsizetype at)
    {
        const std::optional<Start> found = start(at);
        return found && found->headed;
    }
    // Whether a closing rule `line` ends a text of `lines` lines so far, the last one rated
    // `before`.
    static bool closes(Closing closing, qsizetype lines, recordlines::Rating before,
                       QByteArrayView line);
    // After a closing rule that ends a record's text when the next record or run (or the end
    // of the file) follows: whether one does at `at`.
    bool followsRecord(qsizetype at);
    // Within a text that no closing rule has ended: whether a record or a run starts at `at`.
    // Only a whole one does, as the program writes it (a crash cut the text short before it);
    // anything less was typed into the text.
    bool startsInText(qsizetype at);

    // An opening block as only the program writes it: a valid code line, "assignment #NNN",
    // that assignment's head line and the title.
    bool startsValidBlock(qsizetype at);
    // An opening block as it comes: with or without a code line, whatever it holds.
    bool startsLooseBlock(qsizetype at, bool *withCodeLine);
    // A block, loose or valid, that the next record or run, or the end of the file, follows.
    bool startsLooseRun(qsizetype at);

    // How far a look into a text goes before it takes a record start for real.
    static constexpr qsizetype lookLines = 4096;
    static constexpr qint64 lookBytes = 64 * 1024 * 1024;
    // More lines than any entry of the built-in assignments has.
    static constexpr qsizetype maxEntryLines = 64;

private:
    Closing closingOf(qsizetype entry, qsizetype rule);
    bool isWholeRecord(qsizetype at);
    bool isWholeBlock(qsizetype at);

    LookAhead &ahead_;
    const QuestionIndex &index_;
    Forms forms_;
    QByteArray entry_; // an entry's lines joined, reused
    // The last answers, by line number: a record start is asked about again when it is read.
    struct Known
    {
        qint64 line = -1;
        std::optional<Start> start;
    };
    std::array<Known, 8> starts_{};
    struct Whole
    {
        qint64 line = -1;
        bool whole = false;
    };
    std::array<Whole, 8> wholes_{};
};

} // namespace report
