// SPDX-License-Identifier: MIT
#include "app/bexlorin.h"

#include "app/assignmentstart.h"
#include "app/boxtext.h"
#include "app/focusring.h"
#include "app/runsetup.h"
#include "bank/assignmentcontent.h"
#include "bank/markup.h"
#include "cycle/linebreaks.h"
#include "platform/filenamerules.h"
#include "platform/platform.h"
#include "platform/windowfont.h"
#include "records/codepage.h"
#include "records/linecoding.h"
#include "records/linereading.h"
#include "records/recordcomposition.h"
#include "records/recordfiles.h"
#include "routines/picturebox.h"
#include "routines/routinedispatcher.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QTimer>

#include <utility>

namespace {

constexpr int twipsPerPixel = 15;
constexpr QSize clientTwips(10875, 8490);
constexpr int timerIntervalMs = 15;
constexpr float pictureScale = 1000.0f;
constexpr float circleCentre = 500.0f;
constexpr float largestRadius = 500.0f;

const QString confidencePrompt = QStringLiteral(
    "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you "
    "have no confidence in your answer, 1 means you have some confidence, 2 means you are pretty "
    "confident and 3 means you are certain of your answer:");

const QString selfCritiquePrompt = QStringLiteral(
    "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique "
    "was necessary on this question but was not given, 1 indicates that self-critique was "
    "necessary but the given self-critique was not adequate, 2 indicates that self-critique was "
    "necessary and was mostly adequate, and 3 indicates that either self-critique was not "
    "necessary or that after reading the solution everything was completely obvious so you "
    "skipped the self-critique.");

QRect pixelsFromTwips(const QRect &twips)
{
    return {twips.x() / twipsPerPixel, twips.y() / twipsPerPixel, twips.width() / twipsPerPixel,
            twips.height() / twipsPerPixel};
}

// The window's own size: the captions that fit at no size keep it.
constexpr qreal windowFontPoints = platform::smallestCaptionPoints;

// "System", bold, 9.75 points; where the platform has no such font, its general font in bold
// at 10 points.
QFont largeBoxFont()
{
    // Looked up in the list of families: hasFamily() would first ask the system for an alias.
    const bool hasSystem =
        QFontDatabase::families().contains(QStringLiteral("System"), Qt::CaseInsensitive);
    QFont font = hasSystem ? QFont(QStringLiteral("System"))
                           : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(hasSystem ? 9.75 : 10);
    font.setWeight(QFont::Bold);
    return font;
}

// Equal pixels, whatever format the clipboard chose to hand the picture back in.
bool samePicture(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.size() == b.size() && a.convertToFormat(b.format()) == b;
}

// How each kind of control takes its caption or initial text and its fixed settings.
void prepare(QPlainTextEdit *box, const QString &text)
{
    box->setFont(largeBoxFont());
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab walks on to the next control, as from every other control, instead of typing a
    // tab that would end up in the records.
    box->setTabChangesFocus(true);
    box->setPlainText(text);
}
void prepare(QLineEdit *box, const QString &text)
{
    box->setText(text);
}
void prepare(CaptionButton *button, const QString &text)
{
    button->setText(text);
    button->setAutoDefault(false);
}
void prepare(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A label does nothing with a click: one that lies over a box ("# sentences previous")
    // lets the click through to the box the student sees under it.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Captions wrap where the label has room for a second line; a one-line label keeps its
    // caption whole rather than hiding the end of it on a line nobody sees.
    label->setWordWrap(label->height() >= 2 * label->fontMetrics().height());
}
void prepare(QListWidget *, const QString &) {}
void prepare(routines::PictureBox *, const QString &) {}

// Where a control shows its caption or initial text, and how the text is laid out there.
struct CaptionPlace
{
    QString text;
    QRectF area;
    int flags = 0;
};

CaptionPlace captionPlace(QWidget *control)
{
    if (auto *button = qobject_cast<CaptionButton *>(control))
        return {button->text(), button->captionArea(), CaptionButton::captionFlags};
    if (auto *label = qobject_cast<QLabel *>(control))
        return {label->text(), label->contentsRect(),
                int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0)};
    if (auto *line = qobject_cast<QLineEdit *>(control)) {
        QStyleOptionFrame option;
        option.initFrom(line);
        option.rect = line->contentsRect();
        option.lineWidth = line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, line);
        // QLineEdit keeps 2 pixels clear on either side of its text, 1 above and below.
        const QRect area = line->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, line)
                               .marginsRemoved(line->textMargins())
                               .adjusted(2, 1, -2, -1);
        return {line->text(), area, int(Qt::AlignLeft | Qt::AlignVCenter)};
    }
    return {};
}

// Creates the control of a member's own type and stores it in that member.
class ControlSlot
{
public:
    template<typename Control>
    ControlSlot(Control *&member)
        : member_(&member)
        , create_([](void *member, QWidget *parent, const QString &text,
                     const QRect &geometry) -> QWidget * {
            auto *control = new Control(parent);
            control->setGeometry(geometry);
            prepare(control, text);
            *static_cast<Control **>(member) = control;
            return control;
        })
    {}

    QWidget *create(QWidget *parent, const QString &text, const QRect &geometry) const
    {
        return create_(member_, parent, text, geometry);
    }

private:
    void *member_;
    QWidget *(*create_)(void *, QWidget *, const QString &, const QRect &);
};

struct ControlRow
{
    ControlSlot slot;
    const char16_t *name;
    int arrayIndex; // element of a control array, or -1
    const char16_t *text;
    QRect twips; // left, top, width, height
};

} // namespace

Bexlorin::Bexlorin(platform::Platform &platform, QWidget *parent)
    : Bexlorin(platform, bank::assignmentContent(), parent)
{}

Bexlorin::Bexlorin(platform::Platform &platform, QStringList bankContent, QWidget *parent)
    : QWidget(parent)
    , platform_(platform)
    , bankContent_(std::move(bankContent))
{
    setWindowTitle(QStringLiteral("Form1"));
    // Screen readers name the window by the program, as its prompts are captioned.
    setAccessibleName(QStringLiteral("Bexlorin"));
    setFont(platform::windowFont(windowFontPoints));
    resize(clientTwips / twipsPerPixel);
    buildControls();
    nameControlsForScreenReaders();
    sizeCaptions();
    connectHandlers();
}

Bexlorin::~Bexlorin() = default;

void Bexlorin::buildControls()
{
    // Focus order is table order; labels hold their place but never take the focus.
    // Rectangles are left, top, width, height in twips.
    // clang-format off
    const ControlRow rows[] = {
        // member                     name                            index  caption or initial text    twips
        {txt_question,                 u"txt_question",                -1,    u"",                       {  240,  720, 5175, 3255}},
        {txt_answer,                   u"txt_answer",                  -1,    u" ",                      { 5640,  720, 5055, 3255}},
        {cmdNextQuestion,              u"cmdNextQuestion",             -1,    u"Next Question / Answer", {  240,    0,  975,  735}},
        {cmd_enter_response,           u"cmd_enter_response",          -1,    u"Enter Response",         { 5640,  240,  855,  495}},
        {Picture1,                     u"Picture1",                    -1,    u"",                       {  240, 4080, 5175, 3375}},
        {Picture2,                     u"Picture2",                    -1,    u"",                       { 5640, 4080, 5055, 3375}},
        {cmd_save_as_notes,            u"cmd_save_as_notes",           -1,    u"Save as Notes",          { 6480,  240,  855,  495}},
        {cmd_Make_paragraph,           u"cmd_Make_paragraph",          -1,    u"Make Paragraph",         { 7320,  240,  975,  495}},
        {cmd_Make_Paragraph_question,  u"cmd_Make_Paragraph_question", -1,    u"Make Paragraph",         { 1200,  240,  855,  495}},
        {txt_paragraph_goback,         u"txt_paragraph_goback",        -1,    u"1",                      { 3120,  240,  150,  495}},
        {lbl_paragraph_goback,         u"lbl_paragraph_goback",        -1,    u"# sentences previous",   { 3000,  240,  255,  495}},
        {cmd_timerTrigger,             u"cmd_timerTrigger",            -1,    u"Trigger Timer",          { 2400, 7560,  735,  495}},
        {List1,                        u"List1",                       -1,    u"",                       { 3120, 7680, 1695,  840}},
        {lbl_parameter[0],             u"lbl_parameter",               0,     u"Parameter 1",            { 5640, 7680,  900,  195}},
        {txt_parameter[0],             u"txt_parameter",               0,     u"1",                      { 6720, 7680,  300,  285}},
        {lbl_parameter[1],             u"lbl_parameter",               1,     u"Parameter 2",            { 5640, 8160,  855,  195}},
        {txt_parameter[1],             u"txt_parameter",               1,     u"1",                      { 6720, 8160,  300,  285}},
        {lbl_parameter[2],             u"lbl_parameter",               2,     u"Parameter 3",            { 7200, 7680, 1005,  195}},
        {txt_parameter[2],             u"txt_parameter",               2,     u"1",                      { 8205, 7680,  300,  285}},
        {lbl_parameter[3],             u"lbl_parameter",               3,     u"Parameter 4",            { 7200, 8160,  900,  195}},
        {txt_parameter[3],             u"txt_parameter",               3,     u"1",                      { 8205, 8160,  300,  285}},
        {cmd_displayCumulativeText,    u"cmd_displayCumulativeText",   -1,    u"display SEND file",      { 4200,  240,  855,  495}},
        {cmd_display_note_file,        u"cmd_display_note_file",       -1,    u"display notes",          { 3240,  240,  135,  495}},
        {cmd_quit,                     u"cmd_quit",                    -1,    u"quit program",           {10200,    0,  735,  495}},
        {cmd_pend_exp,                 u"cmd_pend_exp",                -1,    u"pend exp",               { 8640, 7560,  495,  375}},
        {cmd_next_picture,             u"cmd_next_picture",            -1,    u"next picture",           { 1200, 7560,  855,  495}},
        {lbl_only_if_prompted,         u"lbl_only_if_prompted",        -1,    u"click only if prompted", {  240, 7560,  855,  495}},
        {cmd_copy_picture,             u"cmd_copy_picture",            -1,    u"copy picture",           { 1200, 8160,  855,  495}},
        {cmd_clear_answer_box,         u"cmd_clear_answer_box",        -1,    u"clear box",              { 8280,  240,  855,  495}},
    };
    // clang-format on

    QWidget *previous = nullptr;
    for (const ControlRow &row : rows) {
        QWidget *control =
            row.slot.create(this, QString::fromUtf16(row.text), pixelsFromTwips(row.twips));
        QString name = QString::fromUtf16(row.name);
        if (row.arrayIndex >= 0)
            name += u'(' + QString::number(row.arrayIndex) + u')';
        control->setObjectName(name);
        control->setProperty("tabIndex", int(&row - rows));
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }

    // Every control that takes the focus shows it plainly.
    auto *focusRing = new FocusRing(this);
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->focusPolicy() & Qt::TabFocus)
            focusRing->watch(control);
    }

    tmr_pend_exp = new QTimer(this);
    tmr_pend_exp->setObjectName(QStringLiteral("tmr_pend_exp"));
    tmr_pend_exp->setInterval(timerIntervalMs);
    txt_question->setFocus();
}

// Buttons and labels are announced by their captions; the controls without one get a name,
// and the boxes and pictures a description of what they hold.
void Bexlorin::nameControlsForScreenReaders()
{
    struct Spoken
    {
        QWidget *control;
        QString name;
        QString description;
    };
    const Spoken spoken[] = {
        {txt_question, QStringLiteral("Question"), QStringLiteral("Question and worked answers")},
        {txt_answer, QStringLiteral("Answer"),
         QStringLiteral("Your answer, critique or notes, recorded by Enter Response or Save as "
                        "Notes")},
        {Picture1, QStringLiteral("Picture 1"),
         QStringLiteral("Drawing area, where pend exp draws its circles")},
        {Picture2, QStringLiteral("Picture 2"),
         QStringLiteral("The picture that copy picture last took from picture 1")},
        {txt_paragraph_goback, QStringLiteral("Sentences previous"), {}},
        {List1, QStringLiteral("List"), {}},
    };
    for (const Spoken &each : spoken) {
        each.control->setAccessibleName(each.name);
        each.control->setAccessibleDescription(each.description);
    }
    for (std::size_t i = 0; i < txt_parameter.size(); ++i)
        txt_parameter[i]->setAccessibleName(lbl_parameter[i]->text());
}

// Each caption at the largest size that fits its control, up to the size of the system's
// dialog text. A caption that fits at no size keeps the window's 7 points and is shown whole
// as a tooltip and to screen readers, as is one that the window's edge cuts off.
void Bexlorin::sizeCaptions()
{
    const qreal scale = devicePixelRatioF();
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const CaptionPlace place = captionPlace(control);
        if (place.text.isEmpty())
            continue;
        const qreal points =
            platform::fittingCaptionPoints(place.text, place.area, place.flags, scale);
        if (points > 0)
            control->setFont(platform::windowFont(points));
        if (points == 0 || !rect().contains(control->geometry())) {
            // A box's text is the student's: the box is told by its name instead.
            const QString whole =
                qobject_cast<QLineEdit *>(control) ? control->accessibleName() : place.text;
            control->setToolTip(whole);
            control->setAccessibleDescription(whole);
        }
    }
}

void Bexlorin::connectHandlers()
{
    const std::pair<CaptionButton *, Handler> clicks[] = {
        {cmdNextQuestion, &Bexlorin::cmdNextQuestion_Click},
        {cmd_quit, &Bexlorin::cmd_quit_Click},
        {cmd_enter_response, &Bexlorin::cmd_enter_response_Click},
        {cmd_clear_answer_box, &Bexlorin::cmd_clear_answer_box_Click},
        {cmd_save_as_notes, &Bexlorin::cmd_save_as_notes_Click},
        {cmd_display_note_file, &Bexlorin::cmd_display_note_file_Click},
        {cmd_displayCumulativeText, &Bexlorin::cmd_displayCumulativeText_Click},
        {cmd_next_picture, &Bexlorin::cmd_next_picture_Click},
        {cmd_copy_picture, &Bexlorin::cmd_copy_picture_Click},
        {cmd_pend_exp, &Bexlorin::cmd_pend_exp_Click},
    };
    for (const auto &[button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { runHandler(handler); });
    connect(tmr_pend_exp, &QTimer::timeout, this,
            [this] { runHandler(&Bexlorin::tmr_pend_exp_Timer); });
}

bool Bexlorin::runHandler(Handler handler)
{
    if (ended_)
        return false;
    try {
        (this->*handler)();
        return true;
    } catch (const platform::ProgramEnded &) {
        ended_ = true;
        tmr_pend_exp->stop();
    } catch (const std::exception &error) {
        platform_.showMessage(QStringLiteral("Something went wrong: ") +
                              QString::fromLocal8Bit(error.what()) +
                              QStringLiteral(". Your records so far are safe."));
    }
    return false;
}

bool Bexlorin::load()
{
    // A start-up that did not run to its end leaves nothing to show: end in order.
    if (!runHandler(&Bexlorin::Form_Load))
        runHandler(&Bexlorin::cmd_quit_Click);
    return !ended_;
}

// ---- Start-up -------------------------------------------------------------------------------

void Bexlorin::Form_Load()
{
    run_.titleText = app::runsetup::titleText;
    setUpRun();
    startAssignment();
}

void Bexlorin::setUpRun()
{
    platform_.seedRandom(platform_.secondsSinceMidnight());
    run_.runCodeNbr = app::runsetup::codeNumberFromDraw(platform_.nextRandom());

    Picture1->setScaleHeight(pictureScale);
    Picture1->setScaleWidth(pictureScale);
    Picture2->setScaleHeight(pictureScale);
    Picture2->setScaleWidth(pictureScale);

    const QString defaultFolder = platform_.defaultOutputFolder();
    const QString shownDefault = QDir::toNativeSeparators(defaultFolder);
    run_.outputFolder = defaultFolder;
    platform_.createFolder(defaultFolder); // an existing or uncreatable folder is no concern here

    run_.fullName = platform_.prompt(app::runsetup::namePrompt());
    QString newFolder;
    if (app::runsetup::wantsOtherFolder(
            platform_.prompt(app::runsetup::folderChoicePrompt(shownDefault))))
        newFolder = app::runsetup::typedFolder(
            platform_.prompt(app::runsetup::newFolderPrompt(shownDefault)),
            platform::fileNameRules());
    if (!newFolder.isEmpty())
        run_.outputFolder = newFolder;

    useRecordPathsOf(run_.fullName);

    run_.assignmentNumber = platform_.prompt(app::runsetup::assignmentPrompt());
    run_.instructionsText = app::runsetup::instructionsText();
    run_.assignmentNumber = app::runsetup::padAssignmentNumber(run_.assignmentNumber);
    run_.nextAssignmentNumber = app::runsetup::nextAssignmentNumber(run_.assignmentNumber);

    store_.bankLineCount = 0;
    loadQuestionBank();
}

void Bexlorin::loadQuestionBank()
{
    store_.fill(bankContent_);
}

void Bexlorin::startAssignment()
{
    int headIndex = 0;
    while ((headIndex = app::assignmentstart::findHeadLine(store_, run_.assignmentNumber)) == 0)
        askForAssignmentAgain();
    const QString headLine = store_.entry(headIndex);

    const QString codeLine = makeCodeLine(run_.runCodeNbr);
    const QString assignmentLine = records::assignmentLine(run_.assignmentNumber);
    // One block per file, master first: each reads the date for itself.
    const auto openingBlock = [&] {
        return records::openingBlock(codeLine, code(assignmentLine, run_.runCodeNbr),
                                     code(headLine, run_.runCodeNbr), run_.titleText,
                                     platform_.dateText());
    };
    // A name the file system refuses is asked for again before any file is tried, so nothing
    // is created for it; a failed create is blamed on the name only when the system says so.
    const platform::FileNameRules rules = platform::fileNameRules();
    for (;;) {
        QString problem = app::runsetup::nameProblem(run_.fullName, QString(), rules);
        if (problem.isEmpty()) {
            const QString master = openingBlock();
            const QString send = openingBlock();
            records::RecordFiles files({run_.masterFileName, run_.sendFileName});
            const auto failure = files.openAndAppend({master, send});
            if (!failure)
                return;
            problem = app::runsetup::nameProblem(run_.fullName, failure->reason, rules);
            if (problem.isEmpty()) {
                askForFolderAgain(*failure);
                continue;
            }
        }
        askForNameAgain(problem);
    }
}

void Bexlorin::askForAssignmentAgain()
{
    platform_.showMessage(app::runsetup::unknownAssignmentMessage(
        run_.assignmentNumber, app::assignmentstart::headLines(store_)));
    const QString typed = platform_.prompt(app::runsetup::assignmentPrompt());
    if (typed.isEmpty())
        platform_.endProgram();
    run_.assignmentNumber = app::runsetup::padAssignmentNumber(typed);
    run_.nextAssignmentNumber = app::runsetup::nextAssignmentNumber(run_.assignmentNumber);
}

void Bexlorin::askForFolderAgain(const records::RecordFailure &failure)
{
    platform_.showMessage(
        app::runsetup::unusableFolderMessage(run_.outputFolder, records::describe(failure)));
    const QString folder = app::runsetup::typedFolder(
        platform_.prompt(app::runsetup::otherFolderPrompt()), platform::fileNameRules());
    if (folder.isEmpty())
        platform_.endProgram();
    useRecordPaths(app::runsetup::inOtherFolder(
        {run_.masterFileName, run_.sendFileName, run_.notesFileName}, run_.outputFolder, folder));
    run_.outputFolder = folder;
}

void Bexlorin::askForNameAgain(const QString &problem)
{
    platform_.showMessage(app::runsetup::unusableNameMessage(run_.fullName, problem));
    const QString name = platform_.prompt(app::runsetup::namePrompt());
    if (name.isEmpty())
        platform_.endProgram();
    run_.fullName = name;
    useRecordPathsOf(name);
}

void Bexlorin::useRecordPathsOf(const QString &fullName)
{
    useRecordPaths(app::runsetup::recordPaths(run_.outputFolder, fullName, platform_.dateText(),
                                              QDir::separator()));
}

void Bexlorin::useRecordPaths(const app::runsetup::RecordPaths &paths)
{
    run_.masterFileName = paths.masterFileName;
    run_.sendFileName = paths.sendFileName;
    run_.notesFileName = paths.notesFileName;
}

// ---- Public operations ----------------------------------------------------------------------

void Bexlorin::readNextQuestion()
{
    const auto outcome = reader_.readNextQuestion(store_, run_.nextAssignmentNumber);
    if (outcome.refillAnswerBox)
        setBoxText(txt_answer, run_.instructionsText);
    if (outcome.endsProgram)
        platform_.endProgram();
}

QString Bexlorin::code(const QString &aLine, float codeNbr)
{
    return records::code(aLine, codeNbr);
}

void Bexlorin::codeFile()
{
    run_.runCodeNbr = records::codeFile(run_.outputFolder, QDir::separator());
}

QString Bexlorin::decode(const QString &aLine, float codeNbr)
{
    return records::decode(aLine, codeNbr);
}

QString Bexlorin::remSpaces(const QString &aLine)
{
    return records::remSpaces(aLine);
}

QString Bexlorin::makeCodeLine(float codeNbr)
{
    return records::makeCodeLine(codeNbr, [this] { return platform_.nextRandom(); });
}

void Bexlorin::runRoutine(const QString &routine)
{
    if (routines::runRoutine(routine) == routines::RoutineResult::EndsProgram)
        platform_.endProgram();
}

// ---- The question and answer cycle ----------------------------------------------------------

void Bexlorin::cmdNextQuestion_Click()
{
    readNextQuestion();
    QString &displayText = reader_.displayText;
    if (displayText.size() > bank::markup::routineMarker.size() &&
        bank::markup::isRoutine(displayText)) {
        runRoutine(routines::routineNameOf(displayText));
        displayText.clear();
        readNextQuestion(); // a second routine line in a row is shown as text
    }
    displayText = expandLineBreaks(displayText);
    questionBoxText = boxText(txt_question) + displayText;
    const QString shown = app::boxtext::shown(displayText).trimmed();
    displayText.clear();
    setBoxText(txt_question, questionBoxText);
    if (!shown.isEmpty())
        announce(bank::markup::spokenText(shown));
}

QString Bexlorin::expandLineBreaks(const QString &text) const
{
    return cycle::expandLineBreaks(text);
}

void Bexlorin::cmd_quit_Click()
{
    platform_.endProgram();
}

void Bexlorin::cmd_enter_response_Click()
{
    if (boxText(txt_answer) == run_.instructionsText) {
        emptyBothBoxes();
        return announce(QStringLiteral("Boxes emptied"));
    }
    reader_.instructionsPending = false;
    questionBoxText = boxText(txt_answer);
    const QString &response = questionBoxText;

    // Refuse before anything is opened or asked: the student rewrites and tries again.
    if (auto refused = records::checkStorable({response}))
        return reportUnrecorded(*refused);
    records::RecordFiles files({run_.masterFileName, run_.sendFileName});
    if (auto failure = files.open())
        return reportUnrecorded(*failure);

    const QString masterTime = platform_.timeText();
    const QString sendTime = platform_.timeText();
    const double questionNumber =
        records::questionNumberValue(run_.assignmentNumber, reader_.questionNumber);
    const records::CodedLines masterLines{code(reader_.currentLine, run_.runCodeNbr),
                                          code(response, run_.runCodeNbr)};
    const records::CodedLines sendLines{code(reader_.currentLine, run_.runCodeNbr),
                                        code(response, run_.runCodeNbr)};

    auto rating = records::Rating::None;
    QString typedRating;
    if (reader_.currentKind == cycle::questionKind) {
        rating = records::Rating::Confidence;
        typedRating = askForStorableRating(confidencePrompt);
    } else if (reader_.currentKind == cycle::answerKind) {
        rating = records::Rating::SelfCritique;
        rateSelfCritique();
        typedRating = selfCritiqueRating;
    }

    const QString master = records::responseRecord(
        records::RecordFile::Master, masterTime, questionNumber, masterLines, rating, typedRating);
    const QString send = records::responseRecord(records::RecordFile::Send, sendTime,
                                                 questionNumber, sendLines, rating, typedRating);
    if (auto failure = files.append({master, send}))
        return reportUnrecorded(*failure);
    emptyBothBoxes();
    announce(QStringLiteral("Response recorded"));
}

void Bexlorin::rateSelfCritique()
{
    selfCritiqueRating = askForStorableRating(selfCritiquePrompt);
}

QString Bexlorin::askForStorableRating(const QString &prompt)
{
    // The response waits, unwritten, until the rating can be stored with it.
    for (;;) {
        QString typed = platform_.prompt(prompt);
        const auto refused = records::checkStorable({typed});
        if (!refused)
            return typed;
        platform_.showMessage(records::describeRefusedRating(*refused));
    }
}

void Bexlorin::cmd_clear_answer_box_Click()
{
    setBoxText(txt_answer, QString());
    announce(QStringLiteral("Answer box emptied"));
}

// ---- Notes and viewers ----------------------------------------------------------------------

void Bexlorin::cmd_save_as_notes_Click()
{
    if (boxText(txt_answer) == run_.instructionsText) {
        emptyBothBoxes();
        return announce(QStringLiteral("Boxes emptied"));
    }
    reader_.instructionsPending = false;
    const QString notesLine = records::notesLine(boxText(txt_answer));

    // The record goes to the master, send and notes files line by line, so the clock is read
    // for the time stamps of all three, then for their date-and-time stamps.
    constexpr int fileCount = 3;
    QStringList times;
    for (int file = 0; file < fileCount; ++file)
        times.append(platform_.timeText());
    QStringList records;
    for (int file = 0; file < fileCount; ++file) {
        records.append(records::notesRecord(
            times[file], platform_.dateAndTimeText(),
            {code(reader_.currentLine, run_.runCodeNbr), code(notesLine, run_.runCodeNbr)}));
    }
    records::RecordFiles files({run_.masterFileName, run_.sendFileName, run_.notesFileName});
    if (auto failure = files.openAndAppend(records))
        return reportUnrecorded(*failure);
    emptyBothBoxes();
    announce(QStringLiteral("Note saved"));
}

void Bexlorin::cmd_display_note_file_Click()
{
    if (appendFileToQuestionBox(run_.notesFileName,
                                QStringLiteral("There are no notes yet: your notes file is made "
                                               "the first time you click \"Save as Notes\".")))
        announce(QStringLiteral("Notes shown in the question box"));
}

void Bexlorin::cmd_displayCumulativeText_Click()
{
    if (appendFileToQuestionBox(run_.sendFileName,
                                QStringLiteral("Your send file cannot be found. It should be at ") +
                                    QDir::toNativeSeparators(run_.sendFileName) + u'.'))
        announce(QStringLiteral("Send file shown in the question box"));
}

bool Bexlorin::appendFileToQuestionBox(const QString &path, const QString &missingMessage)
{
    QFile file(path);
    if (!file.exists()) {
        platform_.showMessage(missingMessage);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        platform_.showMessage(QStringLiteral("The file ") + QDir::toNativeSeparators(path) +
                              QStringLiteral(" cannot be read: ") + file.errorString());
        return false;
    }
    const QString lines = records::viewerText(records::codepage::decode(file.readAll()));
    setBoxText(txt_question, boxText(txt_question) + lines);
    return true;
}

// ---- Routines, pictures and timer -----------------------------------------------------------

void Bexlorin::cmd_next_picture_Click()
{
    if (routines::runRoutinesAhead(store_) == routines::RoutineResult::EndsProgram)
        platform_.endProgram();
}

void Bexlorin::cmd_copy_picture_Click()
{
    const QImage picture = Picture1->picture();
    platform_.setClipboardImage(picture);
    const QImage copied = platform_.clipboardImage();
    // A clipboard that refused the picture hands back something else, perhaps an older
    // picture: Picture2 then stays as it was.
    if (!samePicture(copied, picture))
        return;
    Picture2->setPicture(copied);
}

void Bexlorin::cmd_pend_exp_Click()
{
    if (!tmr_pend_exp->isActive())
        tmr_pend_exp->start();
}

void Bexlorin::tmr_pend_exp_Timer()
{
    platform_.beep();
    const float radius = platform_.nextRandom() * largestRadius;
    Picture1->drawCircle(circleCentre, circleCentre, radius);
}

// ---- Text boxes -----------------------------------------------------------------------------

QString Bexlorin::boxText(const QPlainTextEdit *box)
{
    return app::boxtext::typed(box->document()->toRawText());
}

void Bexlorin::setBoxText(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(app::boxtext::shown(text));
}

void Bexlorin::emptyBothBoxes()
{
    setBoxText(txt_question, QString());
    setBoxText(txt_answer, QString());
}

void Bexlorin::announce(const QString &text)
{
    platform_.announce(text);
}

void Bexlorin::reportUnrecorded(const records::RecordFailure &failure)
{
    platform_.showMessage(records::describe(failure) +
                          QStringLiteral("\n\nWhat you typed is still in the answer box."));
}
