// SPDX-License-Identifier: MIT
#pragma once

#include "app/captionbutton.h"
#include "app/runfields.h"
#include "app/runsetup.h"
#include "bank/linestore.h"
#include "cycle/questionreader.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTimer;

namespace platform {
class Platform;
}
namespace records {
struct RecordFailure;
}
namespace routines {
class PictureBox;
}

// The program's one window. It owns the run's state and its handlers are the program's only
// entry points once it has started; each handler is short glue over the core functions,
// the platform and the two text boxes.
class Bexlorin : public QWidget
{
    Q_OBJECT

public:
    // `bankContent` fills the line store at load; the built-in assignments by default.
    explicit Bexlorin(platform::Platform &platform, QWidget *parent = nullptr);
    Bexlorin(platform::Platform &platform, QStringList bankContent, QWidget *parent = nullptr);
    ~Bexlorin() override;

    // Runs Form_Load inside the event boundary. False when the program ended during it, in
    // which case the window is never shown.
    bool load();
    bool hasEnded() const { return ended_; }

    void readNextQuestion();
    QString code(const QString &aLine, float codeNbr);
    // Throws records::FileNotFoundError when query.txt is missing.
    void codeFile();
    QString decode(const QString &aLine, float codeNbr);
    QString remSpaces(const QString &aLine);
    QString makeCodeLine(float codeNbr);
    void runRoutine(const QString &routine);

    // Run state, for the tests and benchmarks that watch a run.
    const bank::LineStore &lineStore() const { return store_; }
    const app::RunFields &runFields() const { return run_; }
    const cycle::QuestionReader &reader() const { return reader_; }
    const QString &questionBoxTextField() const { return questionBoxText; }
    const QString &selfCritiqueRatingField() const { return selfCritiqueRating; }

    // The controls, in focus order.
    QPlainTextEdit *txt_question = nullptr;
    QPlainTextEdit *txt_answer = nullptr;
    CaptionButton *cmdNextQuestion = nullptr;
    CaptionButton *cmd_enter_response = nullptr;
    routines::PictureBox *Picture1 = nullptr;
    routines::PictureBox *Picture2 = nullptr;
    CaptionButton *cmd_save_as_notes = nullptr;
    CaptionButton *cmd_Make_paragraph = nullptr;
    CaptionButton *cmd_Make_Paragraph_question = nullptr;
    QLineEdit *txt_paragraph_goback = nullptr;
    QLabel *lbl_paragraph_goback = nullptr;
    CaptionButton *cmd_timerTrigger = nullptr;
    QListWidget *List1 = nullptr;
    std::array<QLabel *, 4> lbl_parameter{};
    std::array<QLineEdit *, 4> txt_parameter{};
    CaptionButton *cmd_displayCumulativeText = nullptr;
    CaptionButton *cmd_display_note_file = nullptr;
    CaptionButton *cmd_quit = nullptr;
    CaptionButton *cmd_pend_exp = nullptr;
    CaptionButton *cmd_next_picture = nullptr;
    QLabel *lbl_only_if_prompted = nullptr;
    CaptionButton *cmd_copy_picture = nullptr;
    CaptionButton *cmd_clear_answer_box = nullptr;
    QTimer *tmr_pend_exp = nullptr;

private:
    using Handler = void (Bexlorin::*)();

    // Handlers, reached through the controls, the timer and load(). A ProgramEnded thrown
    // inside stops at the event boundary.
    void Form_Load();
    void cmdNextQuestion_Click();
    void cmd_quit_Click();
    void cmd_enter_response_Click();
    void cmd_clear_answer_box_Click();
    void cmd_save_as_notes_Click();
    void cmd_display_note_file_Click();
    void cmd_displayCumulativeText_Click();
    void cmd_next_picture_Click();
    void cmd_copy_picture_Click();
    void cmd_pend_exp_Click();
    void tmr_pend_exp_Timer();

    void buildControls();
    void nameControlsForScreenReaders();
    void sizeCaptions();
    void connectHandlers();
    // The event boundary: no handler runs once the program has ended, and nothing thrown
    // inside a handler crosses into Qt's event loop. True when the handler ran to its end.
    bool runHandler(Handler handler);

    void setUpRun();
    void startAssignment();
    void loadQuestionBank();
    void askForAssignmentAgain();
    void askForFolderAgain(const records::RecordFailure &failure);
    void askForNameAgain(const QString &problem);
    void useRecordPaths(const app::runsetup::RecordPaths &paths);
    // The three paths for `fullName` in the output folder, on today's date.
    void useRecordPathsOf(const QString &fullName);
    QString expandLineBreaks(const QString &text) const;
    void rateSelfCritique();
    // Asks until the typed rating holds only characters the record files can store.
    QString askForStorableRating(const QString &prompt);

    // The text boxes as program texts (CR LF line breaks).
    static QString boxText(const QPlainTextEdit *box);
    static void setBoxText(QPlainTextEdit *box, const QString &text);
    void emptyBothBoxes();
    // Tells a screen reader what a command produced, without moving the focus.
    void announce(const QString &text);
    // A record that did not reach its files: say so; the boxes keep what was typed.
    void reportUnrecorded(const records::RecordFailure &failure);
    // False when the file could not be shown (the student has been told why).
    bool appendFileToQuestionBox(const QString &path, const QString &missingMessage);

    platform::Platform &platform_;
    QStringList bankContent_;
    bank::LineStore store_;
    app::RunFields run_;
    cycle::QuestionReader reader_;
    QString questionBoxText;
    QString selfCritiqueRating;
    bool ended_ = false;
};
