// SPDX-License-Identifier: MIT
#include "app/captionbutton.h"
#include "app/focusring.h"
#include "app/runsetup.h"
#include "bank/markup.h"
#include "platform/announcer.h"
#include "platform/desktopplatform.h"
#include "records/codepage.h"
#include "records/linecoding.h"
#include "routines/picturebox.h"
#include "session.h"
#include "testwait.h"

#include <QAccessible>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <functional>

namespace {

const QString studentName = QStringLiteral("Student Number One");

QStringList standardAnswers(const QString &assignment = QStringLiteral("1"))
{
    return {studentName, QString(), assignment};
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

// The three controls the layout squeezes between 3000 and 3375 twips: too narrow for any text.
const QStringList squeezed{QStringLiteral("lbl_paragraph_goback"),
                           QStringLiteral("txt_paragraph_goback"),
                           QStringLiteral("cmd_display_note_file")};

// Where a control shows its caption or text, and how the text is laid out there.
struct CaptionSpace
{
    QRect rect;
    int flags = 0;
};

CaptionSpace captionSpace(QWidget *control)
{
    if (auto *button = qobject_cast<CaptionButton *>(control))
        return {button->captionArea(), CaptionButton::captionFlags};
    if (auto *label = qobject_cast<QLabel *>(control))
        return {label->contentsRect(),
                int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0)};
    auto *line = qobject_cast<QLineEdit *>(control);
    Q_ASSERT(line);
    QStyleOptionFrame option;
    option.initFrom(line);
    option.rect = line->contentsRect();
    option.lineWidth = line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, line);
    // QLineEdit keeps 2 pixels clear on either side of its text, 1 above and below.
    const QRect area = line->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, line)
                           .marginsRemoved(line->textMargins())
                           .adjusted(2, 1, -2, -1);
    return {area, int(Qt::AlignLeft | Qt::AlignVCenter)};
}

// The caption laid out as Qt draws it: lines broken with the metrics of the logical size,
// glyphs drawn at the device's, so on a high-density screen it must fit by both.
bool captionFits(QWidget *control, const QString &caption, qreal points, QString *detail)
{
    const CaptionSpace space = captionSpace(control);
    for (const qreal scale : {qreal(1), control->devicePixelRatioF()}) {
        QFont font = control->font();
        font.setPointSizeF(points * scale);
        const QRectF area(QPointF(space.rect.topLeft()) * scale, QSizeF(space.rect.size()) * scale);
        const QRectF used = QFontMetricsF(font).boundingRect(area, space.flags, caption);
        QDebug(detail) << caption << points << "pt needs" << used << "in" << area;
        if (!area.contains(used))
            return false;
    }
    return true;
}

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}
double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The window shown and active, so that keys move the focus as they do for the student.
bool showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window, testwait::hangMs());
}

// The middle colour, by luminance, of a line of `count` pixels from `first`: a control's own
// fill, even a gradient, rather than a caption's few glyph pixels.
QRgb middleColour(const QImage &image, QPoint first, QPoint step, int count)
{
    QList<QRgb> line;
    for (QPoint at = first; count-- > 0; at += step) {
        if (image.rect().contains(at))
            line.append(image.pixel(at));
    }
    std::sort(line.begin(), line.end(), [](QRgb a, QRgb b) { return luminance(a) < luminance(b); });
    return line.value(line.size() / 2);
}

// A dark palette such as a desktop's dark theme gives: light text on dark grey.
QPalette darkPalette()
{
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, Qt::white);
    return dark;
}

// The window's controls, as the table makes them.
QList<QWidget *> controlsOf(const QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *child : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->property("tabIndex").isValid())
            controls.append(child);
    }
    return controls;
}

// A key pressed and let go on the focused control as a keyboard sends it: the press to the
// control with the focus, the release to the one that has it then. A release that might be a
// repeat's is settled once the events queued behind it have been handled.
void strike(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyPress(QApplication::focusWidget(), key, modifiers);
    QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// The cut caption's tooltip comes with the keyboard's focus and goes with it, as it comes
// and goes with the mouse; the focus a program gives shows none.
void keyboardFocusShowsWhole(Bexlorin &window, QWidget *control, const QString &whole)
{
    if (!(control->focusPolicy() & Qt::TabFocus))
        return;
    QVERIFY(showActive(window));
    control->setFocus();
    QVERIFY(!QToolTip::isVisible());
    strike(Qt::Key_Tab, Qt::ShiftModifier);
    strike(Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), control);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), whole);
    strike(Qt::Key_Tab);
    QVERIFY(window.focusWidget() != control);
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible() || QToolTip::text() != whole,
                             testwait::hangMs());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch_;
    QString folder_;

private slots:
    void initTestCase()
    {
        // Under X the accessibility bridge starts when it has found the bus.
        if (QGuiApplication::platformName() == u"xcb")
            QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 30000);
    }

    void init()
    {
        QVERIFY(scratch_.isValid());
        folder_ = scratch_.path() + QStringLiteral("/run") + QString::number(++runs_);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<int>("tabIndex");

        const auto row = [](const char *name, const char *kind, const QString &text, int left,
                            int top, int width, int height, int tab) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << text
                                << QRect(left / 15, top / 15, width / 15, height / 15) << tab;
        };
        row("txt_question", "QPlainTextEdit", QString(), 240, 720, 5175, 3255, 0);
        row("txt_answer", "QPlainTextEdit", QStringLiteral(" "), 5640, 720, 5055, 3255, 1);
        row("cmdNextQuestion", "QPushButton", QStringLiteral("Next Question / Answer"), 240, 0, 975,
            735, 2);
        row("cmd_enter_response", "QPushButton", QStringLiteral("Enter Response"), 5640, 240, 855,
            495, 3);
        row("Picture1", "routines::PictureBox", QString(), 240, 4080, 5175, 3375, 4);
        row("Picture2", "routines::PictureBox", QString(), 5640, 4080, 5055, 3375, 5);
        row("cmd_save_as_notes", "QPushButton", QStringLiteral("Save as Notes"), 6480, 240, 855,
            495, 6);
        row("cmd_Make_paragraph", "QPushButton", QStringLiteral("Make Paragraph"), 7320, 240, 975,
            495, 7);
        row("cmd_Make_Paragraph_question", "QPushButton", QStringLiteral("Make Paragraph"), 1200,
            240, 855, 495, 8);
        row("txt_paragraph_goback", "QLineEdit", QStringLiteral("1"), 3120, 240, 150, 495, 9);
        row("lbl_paragraph_goback", "QLabel", QStringLiteral("# sentences previous"), 3000, 240,
            255, 495, 10);
        row("cmd_timerTrigger", "QPushButton", QStringLiteral("Trigger Timer"), 2400, 7560, 735,
            495, 11);
        row("List1", "QListWidget", QString(), 3120, 7680, 1695, 840, 12);
        row("lbl_parameter(0)", "QLabel", QStringLiteral("Parameter 1"), 5640, 7680, 900, 195, 13);
        row("txt_parameter(0)", "QLineEdit", QStringLiteral("1"), 6720, 7680, 300, 285, 14);
        row("lbl_parameter(1)", "QLabel", QStringLiteral("Parameter 2"), 5640, 8160, 855, 195, 15);
        row("txt_parameter(1)", "QLineEdit", QStringLiteral("1"), 6720, 8160, 300, 285, 16);
        row("lbl_parameter(2)", "QLabel", QStringLiteral("Parameter 3"), 7200, 7680, 1005, 195, 17);
        row("txt_parameter(2)", "QLineEdit", QStringLiteral("1"), 8205, 7680, 300, 285, 18);
        row("lbl_parameter(3)", "QLabel", QStringLiteral("Parameter 4"), 7200, 8160, 900, 195, 19);
        row("txt_parameter(3)", "QLineEdit", QStringLiteral("1"), 8205, 8160, 300, 285, 20);
        row("cmd_displayCumulativeText", "QPushButton", QStringLiteral("display SEND file"), 4200,
            240, 855, 495, 21);
        row("cmd_display_note_file", "QPushButton", QStringLiteral("display notes"), 3240, 240, 135,
            495, 22);
        row("cmd_quit", "QPushButton", QStringLiteral("quit program"), 10200, 0, 735, 495, 23);
        row("cmd_pend_exp", "QPushButton", QStringLiteral("pend exp"), 8640, 7560, 495, 375, 24);
        row("cmd_next_picture", "QPushButton", QStringLiteral("next picture"), 1200, 7560, 855, 495,
            25);
        row("lbl_only_if_prompted", "QLabel", QStringLiteral("click only if prompted"), 240, 7560,
            855, 495, 26);
        row("cmd_copy_picture", "QPushButton", QStringLiteral("copy picture"), 1200, 8160, 855, 495,
            27);
        row("cmd_clear_answer_box", "QPushButton", QStringLiteral("clear box"), 8280, 240, 855, 495,
            28);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        FakePlatform platform;
        Bexlorin window(platform);
        const auto matches = window.findChildren<QWidget *>(name);
        QCOMPARE(matches.size(), 1);
        QWidget *control = matches.first();
        QFETCH(QString, kind);
        QVERIFY2(control->inherits(kind.toLatin1()), control->metaObject()->className());
        QTEST(control->geometry(), "pixels");
        QTEST(control->property("tabIndex").toInt(), "tabIndex");
        QVERIFY(control->isEnabled());
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->isDefault() && !button->autoDefault());
        } else if (auto *label = qobject_cast<QLabel *>(control)) {
            QCOMPARE(label->text(), text);
            QVERIFY(label->alignment() & Qt::AlignLeft);
        } else if (auto *line = qobject_cast<QLineEdit *>(control)) {
            QCOMPARE(line->text(), text);
        } else if (auto *box = qobject_cast<QPlainTextEdit *>(control)) {
            QCOMPARE(box->toPlainText(), text);
            QVERIFY(!box->isReadOnly());
            QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        }
    }

    void windowFrame()
    {
        FakePlatform platform;
        Bexlorin window(platform);
        QCOMPARE(window.windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(window.size(), QSize(725, 566));
        QVERIFY(window.findChildren<QMenuBar *>().isEmpty());
        // Thirty controls: 24 names, two of them arrays of four, plus the timer.
        QCOMPARE(controlsOf(window).size(), 29);
        QCOMPARE(window.tmr_pend_exp->interval(), 15);
        QVERIFY(!window.tmr_pend_exp->isActive());
        QVERIFY(!window.tmr_pend_exp->isSingleShot());
        QCOMPARE(window.Picture1->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(window.Picture2->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(window.Picture1->picture().isNull() && window.Picture2->picture().isNull());
    }

    void largeBoxesShareTheirFont()
    {
        FakePlatform platform;
        Bexlorin window(platform);
        const QFont font = window.txt_question->font();
        QCOMPARE(window.txt_answer->font(), font);
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        if (font.family().compare(u"System", Qt::CaseInsensitive) == 0)
            QCOMPARE(font.pointSizeF(), 9.75);
        else
            QCOMPARE(font.pointSizeF(), 10.0);
    }

    void tabOrderFollowsTheTable()
    {
        FakePlatform platform;
        Bexlorin window(platform);
        QList<int> order;
        QWidget *widget = window.txt_question;
        do {
            if (widget->parentWidget() == &window && widget->property("tabIndex").isValid())
                order.append(widget->property("tabIndex").toInt());
            widget = widget->nextInFocusChain();
        } while (widget != window.txt_question);
        QCOMPARE(order.size(), 29);
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(order[i], i);
        for (QLabel *label : window.findChildren<QLabel *>())
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }

    void captionFitsItsControl_data() { controls_data(); }
    void captionFitsItsControl()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        FakePlatform platform;
        Bexlorin window(platform);
        // The window's font is a sans-serif with Arial's metrics, not a stand-in.
        QVERIFY2(QStringList({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("Arimo")})
                     .contains(QFontInfo(window.font()).family()),
                 qPrintable(QFontInfo(window.font()).family()));
        // Twice the pixels on a high-density screen (QT_SCALE_FACTOR=2), the same layout.
        const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
        QCOMPARE(window.devicePixelRatioF(), scale);
        QCOMPARE(window.size() * window.devicePixelRatioF(), QSize(725, 566) * scale);
        if (text.trimmed().isEmpty())
            QSKIP("No caption");
        if (!kind.contains(QStringLiteral("Button")) && kind != u"QLabel" && kind != u"QLineEdit")
            QSKIP("Its text is the student's, in a box that scrolls");

        // Each caption at the largest size, in quarter points, at which it fits, between 7
        // points and the size of the system's dialog text.
        QWidget *control = window.findChild<QWidget *>(name);
        const qreal points = control->font().pointSizeF();
        const qreal largest =
            std::max(7.0, std::floor(QFontInfo(QApplication::font()).pointSizeF() * 4) / 4);
        QVERIFY2(points >= 7 && points <= largest, qPrintable(QString::number(points)));
        QString detail;
        const bool fitsAtSeven = captionFits(control, text, 7, &detail);
        QCOMPARE(fitsAtSeven, !squeezed.contains(name));
        if (!fitsAtSeven) {
            // Nothing fits: the window's 7 points, and the whole caption (for a box, its
            // name) as a tooltip and to screen readers.
            QCOMPARE(points, 7.0);
            const QString whole = kind == u"QLineEdit" ? control->accessibleName() : text;
            QCOMPARE(control->toolTip(), whole);
            QCOMPARE(control->accessibleDescription(), whole);
            return keyboardFocusShowsWhole(window, control, whole);
        }
        QVERIFY2(captionFits(control, text, points, &detail), qPrintable(detail));
        if (points < largest)
            QVERIFY2(!captionFits(control, text, points + 0.25, &detail), qPrintable(detail));
        // A caption the window's edge cuts is shown whole as a tooltip.
        if (!window.rect().contains(control->geometry())) {
            QCOMPARE(control->toolTip(), text);
            keyboardFocusShowsWhole(window, control, text);
        }
    }

    // With the focus, a control gains a ring along its inside edge of two bands, each at least
    // 2 device pixels wide (at scale 1 and 2): the outer band has 3:1 contrast or more against
    // what surrounds the control, the inner band against what the control shows inside it, in a
    // light and in a dark palette, measured on the window's pixels.
    void focusIsVisible_data() { controls_data(); }
    void focusIsVisible()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        if (kind == u"QLabel")
            QSKIP("Never takes the focus");
        const QPalette light = QApplication::palette();
        for (const QPalette &palette : {light, darkPalette()}) {
            QApplication::setPalette(palette);
            ringStandsOut(name);
            QApplication::setPalette(light);
            if (QTest::currentTestFailed())
                return;
        }
    }
    void ringStandsOut(const QString &name)
    {
        const QString where = QStringLiteral(" (%1 palette)")
                                  .arg(QApplication::palette().color(QPalette::Window).name());
        FakePlatform platform;
        Bexlorin window(platform);
        QWidget *control = window.findChild<QWidget *>(name);
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
        QVERIFY(showActive(window));
        // The focus first on a control that touches no other.
        (control == window.Picture2 ? window.Picture1 : window.Picture2)->setFocus();
        const int scale = qRound(window.devicePixelRatioF());
        const int band = FocusRing::bandWidth * scale; // device pixels
        auto *ring = window.findChild<FocusRing *>();
        const int width = int(ring->bands(control).size()) * band;
        // Across the middle of each side inside the window.
        const QRect box(control->pos() * scale, control->size() * scale);
        const std::pair<QPoint, QPoint> sides[] = {// outermost pixel, one step inwards
                                                   {{box.center().x(), box.top()}, {0, 1}},
                                                   {{box.center().x(), box.bottom()}, {0, -1}},
                                                   {{box.left(), box.center().y()}, {1, 0}},
                                                   {{box.right(), box.center().y()}, {-1, 0}}};
        control->setFocus();
        QVERIFY(control->hasFocus());
        const QImage with = window.grab().toImage();
        const QRgb background = window.palette().color(QPalette::Window).rgb();

        int seen = 0;
        for (const auto &[edge, inward] : sides) {
            if (!with.rect().contains(edge) || !with.rect().contains(edge + inward * width))
                continue;
            ++seen;
            // Around the control: the window's pixel just outside, where no neighbour is.
            const QPoint outside = edge - inward;
            const QList<QWidget *> controls = controlsOf(window);
            const bool bare =
                with.rect().contains(outside) &&
                std::none_of(controls.begin(), controls.end(), [&](const QWidget *other) {
                    return other->geometry().contains(outside / scale);
                });
            const QRgb around = bare ? with.pixel(outside) : background;
            // Inside: what the line along the ring shows, the control's own fill.
            const QPoint along(qAbs(inward.y()), qAbs(inward.x()));
            const QPoint first = edge + inward * width +
                                 QPoint(along.x() * (box.left() + width - edge.x()),
                                        along.y() * (box.top() + width - edge.y()));
            const int length = (along.x() ? box.width() : box.height()) - 2 * width;
            const QRgb inside = middleColour(with, first, along, length);
            // The outer band against the surroundings, the inner one (or the same) the inside.
            for (int depth = 0; depth < width; ++depth) {
                const QPoint at = edge + inward * depth;
                for (const QRgb against :
                     {depth < band ? around : inside, depth >= width - band ? inside : around}) {
                    QVERIFY2(
                        contrast(with.pixel(at), against) >= 3.0,
                        qPrintable(QStringLiteral("%1 against %2 at %3,%4")
                                       .arg(QColor(with.pixel(at)).name(), QColor(against).name())
                                       .arg(at.x())
                                       .arg(at.y()) +
                                   where));
                }
            }
        }
        QVERIFY(seen >= 2);
    }

    // The window's accessible children come in the table's order, and a click lands on the same
    // control, wherever the focus is: before a control takes it, while it has it and after it
    // has left (at scale 1 and 2). The focus ring is none of the children and takes no click.
    void theWindowHoldsStillAsTheFocusMoves_data() { controls_data(); }
    void theWindowHoldsStillAsTheFocusMoves()
    {
        QFETCH(QString, name);
        FakePlatform platform;
        Bexlorin window(platform);
        QWidget *control = window.findChild<QWidget *>(name);
        if (!(control->focusPolicy() & Qt::TabFocus))
            QSKIP("Never takes the focus");
        QVERIFY(showActive(window));
        QList<QPoint> overlaps; // every point where two controls overlap
        const QList<QWidget *> controls = controlsOf(window);
        for (QWidget *one : controls) {
            for (QWidget *other : controls) {
                const QRect both = one->geometry() & other->geometry();
                for (int y = both.top(); one < other && y <= both.bottom(); ++y)
                    for (int x = both.left(); x <= both.right(); ++x)
                        overlaps.append({x, y});
            }
        }
        QVERIFY(overlaps.size() > 20);
        const auto layout = [&] {
            QStringList seen;
            QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(&window);
            for (int i = 0; i < spoken->childCount(); ++i)
                seen << spoken->child(i)->object()->objectName();
            for (const QPoint &point : std::as_const(overlaps)) {
                const QWidget *hit = window.childAt(point);
                seen << (hit ? hit->objectName() : QStringLiteral("-"));
            }
            return seen;
        };
        const QStringList before = layout();
        QStringList tableOrder;
        for (int i = 0; i < controls.size(); ++i)
            tableOrder << controls[i]->objectName();
        QCOMPARE(before.mid(0, controls.size()), tableOrder);
        QCOMPARE(before.size(), controls.size() + overlaps.size());
        control->setFocus();
        QCOMPARE(layout(), before);
        strike(Qt::Key_Tab);
        QVERIFY(!control->hasFocus());
        QCOMPARE(layout(), before);
        // Where "# sentences previous" lies over its box, a click reaches the box.
        QCOMPARE(window.childAt(window.txt_paragraph_goback->geometry().center()),
                 window.txt_paragraph_goback);
    }

    void tabWalksTheFocusOrder()
    {
        FakePlatform platform;
        Bexlorin window(platform);
        window.txt_question->setPlainText(QStringLiteral("What is 3 * 4?"));
        window.txt_answer->setPlainText(QStringLiteral("12"));
        QVERIFY(showActive(window));
        window.txt_question->setFocus();

        QList<QWidget *> focusable; // table order, labels skipped
        for (QWidget *control : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (control->focusPolicy() & Qt::TabFocus)
                focusable.append(control);
        }
        std::sort(focusable.begin(), focusable.end(), [](QWidget *a, QWidget *b) {
            return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
        });
        QCOMPARE(focusable.size(), 29 - 6);
        QCOMPARE(focusable.first(), window.txt_question);

        const int presses = 28;
        for (int press = 1; press <= presses; ++press) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            QCOMPARE(window.focusWidget(), focusable[press % focusable.size()]);
        }
        for (int press = presses - 1; press >= 0; --press) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(window.focusWidget(), focusable[press % focusable.size()]);
        }
        QCOMPARE(window.focusWidget(), window.txt_question);
        QCOMPARE(window.txt_question->toPlainText(), QStringLiteral("What is 3 * 4?"));
        QCOMPARE(window.txt_answer->toPlainText(), QStringLiteral("12"));
    }

    // A key held on a button: one press, repeats as the systems send them, one release. Nothing
    // happens while it is held; its release clicks once, unless the focus left the button first.
    void aHeldKeyClicksOnceOnRelease_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("repeats");
        QTest::addColumn<bool>("focusLeaves");
        const std::pair<const char *, int> keys[] = {
            {"Return", Qt::Key_Return}, {"keypad Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
        const char *const kinds[] = {"flagged", "unflagged", "release-press pairs"};
        for (const char *button : {"cmd_enter_response", "cmdNextQuestion", "cmd_save_as_notes"}) {
            for (const auto &[keyName, key] : keys) {
                for (const char *repeats : kinds)
                    QTest::addRow("%s, %s, %s", button, keyName, repeats)
                        << QString::fromLatin1(button) << key << QString::fromLatin1(repeats)
                        << false;
            }
        }
        for (const char *repeats : kinds)
            QTest::addRow("cmd_enter_response, Return, %s, focus left", repeats)
                << QStringLiteral("cmd_enter_response") << int(Qt::Key_Return)
                << QString::fromLatin1(repeats) << true;
    }
    void aHeldKeyClicksOnceOnRelease()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(QString, repeats);
        QFETCH(bool, focusLeaves);
        const QStringList answers = standardAnswers() << QStringLiteral("2") << QStringLiteral("3");
        // What one click does, in a run of its own.
        Session once(folder_ + QStringLiteral("once"), answers);
        once.window->cmdNextQuestion->click();
        once.type(QStringLiteral("typed"));
        if (!focusLeaves)
            once.window->findChild<QPushButton *>(button)->click();

        Session run(folder_, answers);
        QVERIFY(showActive(*run.window));
        run.window->cmdNextQuestion->click();
        run.type(QStringLiteral("typed"));
        auto *pressed = run.window->findChild<QPushButton *>(button);
        pressed->setFocus();
        QCOMPARE(run.window->focusWidget(), pressed);
        const QByteArray before = fileBytes(run.window->runFields().masterFileName);
        const QString questionBefore = run.question();
        const auto send = [&](QEvent::Type type, quint64 time, bool flagged) {
            const Qt::KeyboardModifiers modifiers =
                key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
            QKeyEvent event(type, key, modifiers, QString(), flagged);
            event.setTimestamp(time);
            QApplication::sendEvent(run.window->focusWidget(), &event);
        };
        send(QEvent::KeyPress, 1000, false);
        for (quint64 time = 1500; time < 3000; time += 33) {
            // An X server's repeats come as a release and a press at one time, unflagged.
            if (repeats == u"release-press pairs")
                send(QEvent::KeyRelease, time, false);
            send(QEvent::KeyPress, time, repeats == u"flagged");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        }
        // Nothing happens before the key comes up.
        QCOMPARE(fileBytes(run.window->runFields().masterFileName), before);
        QCOMPARE(run.question(), questionBefore);
        if (focusLeaves)
            run.window->txt_answer->setFocus(Qt::TabFocusReason);
        send(QEvent::KeyRelease, 3000, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(run.window->lineStore().bankLineCount, once.window->lineStore().bankLineCount);
        QCOMPARE(run.question(), once.question());
        QCOMPARE(run.platform.promptsShown.size(), once.platform.promptsShown.size());
        QCOMPARE(fileBytes(run.window->runFields().masterFileName),
                 fileBytes(once.window->runFields().masterFileName));
        QCOMPARE(fileBytes(run.window->runFields().notesFileName),
                 fileBytes(once.window->runFields().notesFileName));
    }

    // A key held on the keyboard of a real X server, which repeats it as it does for the
    // student: nothing while it is held, one click when it comes up (tst_mainwindow_spoken).
    void aKeyHeldOnTheKeyboardClicksOnRelease()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("Needs an X server's own key repeats");
        FakePlatform platform;
        Bexlorin window(platform);
        QVERIFY(showActive(window));
        CaptionButton *button = window.cmd_Make_paragraph;
        button->setFocus();
        QSignalSpy clicks(button, &QPushButton::clicked);
        struct Keys : QObject
        {
            int returnPresses = 0;
            quint32 returnCode = 0;
            quint64 lastTime = 0;
            bool shiftReleased = false;
            bool eventFilter(QObject *, QEvent *event) override
            {
                const auto *key = static_cast<QKeyEvent *>(event);
                if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Return) {
                    ++returnPresses;
                    returnCode = key->nativeScanCode();
                    lastTime = key->timestamp();
                }
                shiftReleased |= event->type() == QEvent::KeyRelease && key->key() == Qt::Key_Shift;
                return false;
            }
        } keys;
        button->installEventFilter(&keys);
        const auto xdotool = [](const QStringList &arguments) {
            return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
        };
        QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("Return")}));
        // The server's repeats arrive: the first press and two more.
        QTRY_VERIFY_WITH_TIMEOUT(keys.returnPresses >= 3, testwait::hangMs());
        // Qt marks a repeat's release and press when both have arrived when it looks; one that
        // came alone is unmarked, as here, while the key is down on the server's keyboard.
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, Qt::Key_Return, Qt::NoModifier, keys.returnCode, 0, 0);
            repeat.setTimestamp(keys.lastTime + 1);
            QApplication::sendEvent(button, &repeat);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(clicks.size(), 0);
        // Shift after the release: once it has come, so has everything before it.
        QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("Return")}));
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("shift")}));
        QTRY_VERIFY_WITH_TIMEOUT(keys.shiftReleased, testwait::hangMs());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(clicks.size(), 1);
    }

    // A key already down when a prompt opens does not answer it, however the system repeats
    // it; released and pressed afresh, it does.
    void aHeldKeyCannotAnswerAPrompt_data()
    {
        QTest::addColumn<QString>("repeats");
        QTest::newRow("flagged") << QStringLiteral("flagged");
        QTest::newRow("unflagged") << QStringLiteral("unflagged");
        QTest::newRow("release-press pairs") << QStringLiteral("release-press pairs");
    }
    void aHeldKeyCannotAnswerAPrompt()
    {
        QFETCH(QString, repeats);
        platform::DesktopPlatform desktop;
        QWidget window;
        auto *button = new CaptionButton(QStringLiteral("Enter Response"), &window);
        QString rating = QStringLiteral("not asked");
        connect(button, &QPushButton::clicked, &window,
                [&] { rating = desktop.prompt(QStringLiteral("Rate it")); });
        QVERIFY(showActive(window));
        button->setFocus();
        const auto send = [&](QEvent::Type type, quint64 time, bool flagged) {
            QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QString(), flagged);
            event.setTimestamp(time);
            QWidget *focus = QApplication::focusWidget();
            QApplication::sendEvent(focus ? focus : &window, &event);
        };
        bool openWhileHeld = false;
        std::function<void()> hold = [&] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isAncestorOf(QApplication::focusWidget())) {
                QTimer::singleShot(10, hold);
                return;
            }
            dialog->setTextValue(QStringLiteral("2"));
            for (quint64 time = 1500; time < 3000; time += 33) {
                if (repeats == u"release-press pairs") {
                    send(QEvent::KeyPress, time, false);
                    send(QEvent::KeyRelease, time + 33, false);
                } else {
                    send(QEvent::KeyPress, time, repeats == u"flagged");
                }
            }
            openWhileHeld = dialog->isVisible();
            send(QEvent::KeyRelease, 3000, false);
            send(QEvent::KeyPress, 4000, false);
        };
        QTimer::singleShot(0, hold);
        send(QEvent::KeyPress, 1000, false);
        button->click(); // the mouse, while Return is down
        QVERIFY(openWhileHeld);
        QCOMPARE(rating, QStringLiteral("2"));
    }

    // At start-up one prompt follows another: the Return that answers one closes it on its
    // press, and its release reaches no window. The next prompt takes the next Return.
    void promptsInARowTakeOneReturnEach()
    {
        platform::DesktopPlatform desktop;
        quint64 time = 1000;
        std::function<void()> answer = [&] {
            QWidget *focus = QApplication::focusWidget();
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isAncestorOf(focus)) {
                QTimer::singleShot(10, answer);
                return;
            }
            dialog->setTextValue(QString::number(time));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            press.setTimestamp(time += 500);
            QApplication::sendEvent(focus, &press);
            if (dialog->isVisible()) // the press was held back: fail rather than hang
                dialog->reject();
        };
        QStringList answers;
        for (int prompt = 0; prompt < 3; ++prompt) {
            QTimer::singleShot(0, answer);
            answers << desktop.prompt(QStringLiteral("Next"));
        }
        QCOMPARE(answers, (QStringList{QStringLiteral("1000"), QStringLiteral("1500"),
                                       QStringLiteral("2000")}));
    }

    void screenReadersNameEveryControl_data() { controls_data(); }
    void screenReadersNameEveryControl()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        FakePlatform platform;
        Bexlorin window(platform);
        QAccessibleInterface *spoken =
            QAccessible::queryAccessibleInterface(window.findChild<QWidget *>(name));
        QVERIFY(spoken);
        const QString spokenName = spoken->text(QAccessible::Name);
        QVERIFY(!spokenName.trimmed().isEmpty());
        if (kind.contains(QStringLiteral("Button")) || kind == u"QLabel")
            QCOMPARE(spokenName, text);

        const QHash<QString, QString> descriptions{
            {QStringLiteral("txt_question"), QStringLiteral("Question and worked answers")},
            {QStringLiteral("txt_answer"), QStringLiteral("Your answer")},
            {QStringLiteral("Picture1"), QStringLiteral("pend exp draws")},
            {QStringLiteral("Picture2"), QStringLiteral("copy picture")},
        };
        if (descriptions.contains(name))
            QVERIFY2(spoken->text(QAccessible::Description).contains(descriptions[name]),
                     qPrintable(spoken->text(QAccessible::Description)));
        // Pictures are pictures, not frames (a window of its own to AT-SPI).
        if (name.startsWith(u"Picture"))
            QCOMPARE(spoken->role(), QAccessible::Graphic);
        QCOMPARE(QAccessible::queryAccessibleInterface(&window)->text(QAccessible::Name),
                 QStringLiteral("Bexlorin"));
    }

    // What a command produced reaches a screen reader while the focus stays on its button:
    // exactly one announcement for each click, in plain words, handed to the system's service
    // (UI Automation on Windows, AT-SPI on Linux), and shown as a notification where Qt's
    // AT-SPI bridge runs (tst_mainwindow_spoken).
    void commandsAreAnnounced_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("announced"); // "question": the question box's new text
        const auto row = [](const char *name, const char *button, int clicks,
                            const QStringList &announced) {
            QTest::newRow(name) << QString::fromLatin1(button) << clicks << announced;
        };
        row("Next Question / Answer", "cmdNextQuestion", 1, {QStringLiteral("question")});
        row("Enter Response", "cmd_enter_response", 1, {QStringLiteral("Response recorded")});
        row("Save as Notes", "cmd_save_as_notes", 1, {QStringLiteral("Note saved")});
        row("display notes", "cmd_display_note_file", 1,
            {QStringLiteral("Notes shown in the question box")});
        row("display SEND file", "cmd_displayCumulativeText", 1,
            {QStringLiteral("Send file shown in the question box")});
        row("clear box", "cmd_clear_answer_box", 1, {QStringLiteral("Answer box emptied")});
        row("clear box twice", "cmd_clear_answer_box", 2,
            {QStringLiteral("Answer box emptied"), QStringLiteral("Answer box emptied")});
    }
    void commandsAreAnnounced()
    {
        QFETCH(QString, button);
        QFETCH(int, clicks);
        QFETCH(QStringList, announced);
        Session run(folder_, standardAnswers() << QStringLiteral("2"));
        QVERIFY(showActive(*run.window));
        run.window->cmdNextQuestion->click();
        run.window->cmd_save_as_notes->click(); // a notes file to show
        run.window->cmdNextQuestion->click();
        run.type(QStringLiteral("typed"));
        const QString before = run.question();

        // Each announcement goes on to the system's service, as the desktop platform sends it.
        platform::Announcer announcer(run.window.get());
        QList<platform::Announcer::Handed> handed;
        announcer.onHanded = [&](const platform::Announcer::Handed &each) { handed << each; };
        run.platform.onAnnounce = [&](const QString &text) { announcer.say(text); };
        run.platform.announced.clear();
        static QStringList shown;
        shown.clear();
        if (QAccessible::isActive()) {
            QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
                QAccessibleInterface *said = event->accessibleInterface();
                if (event->type() == QAccessible::ObjectShow && said &&
                    said->role() == QAccessible::Notification && said->childCount() == 1)
                    shown.append(said->child(0)->text(QAccessible::Name));
            });
        }
        auto *pressed = run.window->findChild<QPushButton *>(button);
        pressed->setFocus();
        for (int click = 0; click < clicks; ++click)
            strike(Qt::Key_Space);
        QAccessible::installUpdateHandler(nullptr);

        if (announced == QStringList{QStringLiteral("question")}) {
            // The next question's entry read aloud: its marker a word, the rest as shown.
            const QString added = run.question().mid(before.size()).trimmed();
            QVERIFY2(added.startsWith(u"`q") && !added.contains(u'\n'), qPrintable(added));
            announced = QStringList{QStringLiteral("Question ") + added.mid(2).simplified()};
        }
        QCOMPARE(run.platform.announced, announced);
        QCOMPARE(handed.size(), announced.size());
        for (int i = 0; i < handed.size(); ++i) {
            QCOMPARE(handed[i].text, announced[i]);
            // Taken, or not and why: a system without the service stays silent, and whole.
            QVERIFY2(handed[i].taken != !handed[i].why.isEmpty(), qPrintable(handed[i].why));
            if (handed[i].service == u"AT-SPI")
                QCOMPARE(handed[i].taken, QAccessible::isActive());
            else
                QCOMPARE(handed[i].service, QStringLiteral("UI Automation"));
            qInfo().noquote() << handed[i].service << (handed[i].taken ? "took" : "did not take")
                              << handed[i].text << handed[i].why;
        }
        if (QAccessible::isActive())
            QCOMPARE(shown, announced);
        QCOMPARE(run.window->focusWidget(), pressed);
    }

    void startUpState()
    {
        const Session run(folder_, standardAnswers());
        QVERIFY(run.started);
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QStringLiteral(" "));
        for (QLineEdit *box : run.window->txt_parameter)
            QCOMPARE(box->text(), QStringLiteral("1"));
        QCOMPARE(run.window->txt_paragraph_goback->text(), QStringLiteral("1"));
        QVERIFY(!run.window->tmr_pend_exp->isActive());
        QVERIFY(!run.platform.exitRequested);
    }

    void setUpOnThirdOfMarch()
    {
        Session run(folder_, standardAnswers());
        const auto &fields = run.window->runFields();
        const QString start = folder_ + QDir::separator();
        QCOMPARE(fields.titleText, QStringLiteral("bexlorin"));
        QCOMPARE(fields.outputFolder, folder_);
        QCOMPARE(fields.masterFileName,
                 start + QStringLiteral("masterFile_Student_Number_One.txt"));
        QCOMPARE(fields.sendFileName, start + QStringLiteral("send_0303Student_Number_One.txt"));
        QCOMPARE(fields.notesFileName, start + QStringLiteral("notes_Student_Number_One.txt"));
        QCOMPARE(fields.assignmentNumber, QStringLiteral("001"));
        QCOMPARE(fields.nextAssignmentNumber, QStringLiteral("002"));
        QCOMPARE(fields.instructionsText, app::runsetup::instructionsText());

        const QString shownFolder = QDir::toNativeSeparators(folder_);
        QCOMPARE(run.platform.promptsShown,
                 (QStringList{app::runsetup::namePrompt(),
                              app::runsetup::folderChoicePrompt(shownFolder),
                              app::runsetup::assignmentPrompt()}));
        QVERIFY(run.platform.promptsShown[1].contains(shownFolder + QStringLiteral(".  If")));
        QCOMPARE(run.platform.foldersCreated, QStringList{folder_});
        // Seeded once, from 09:05:30.
        QCOMPARE(run.platform.seeds, QList<float>{32730.0f});
        QVERIFY(run.platform.messagesShown.isEmpty());
        // The notes file waits for the first note.
        QCOMPARE(filesIn(folder_),
                 (QStringList{QStringLiteral("masterFile_Student_Number_One.txt"),
                              QStringLiteral("send_0303Student_Number_One.txt")}));
    }

    void codeNumberFromTheFirstDraw_data()
    {
        QTest::addColumn<float>("draw");
        QTest::addColumn<float>("codeNumber");
        QTest::newRow("zero") << 0.0f << 19.0f;
        QTest::newRow("just below one") << std::nextafter(1.0f, 0.0f) << 28.0f;
    }
    void codeNumberFromTheFirstDraw()
    {
        QFETCH(float, draw);
        QFETCH(float, codeNumber);
        FakePlatform platform;
        platform.defaultFolder = folder_;
        platform.draws.enqueue(draw);
        for (const QString &answer : standardAnswers())
            platform.answers.enqueue(answer);
        Bexlorin window(platform);
        QVERIFY(window.load());
        QCOMPARE(window.runFields().runCodeNbr, codeNumber);
        // The code line of the opening block carries the same number.
        const QString codeLine = records::codepage::decode(
            fileBytes(window.runFields().masterFileName).split('\r').first());
        QCOMPARE(records::codeNumberOf(codeLine), int(codeNumber));
    }

    void folderChoices_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<bool>("otherFolder");

        QTest::newRow("blank and 1")
            << QStringList{studentName, QStringLiteral(" 1"), QStringLiteral("1")} << 3 << false;
        QTest::newRow("01") << QStringList{studentName, QStringLiteral("01"), QStringLiteral("1")}
                            << 3 << false;
        QTest::newRow("yes") << QStringList{studentName, QStringLiteral("yes"), QStringLiteral("1")}
                             << 3 << false;
        QTest::newRow("1 then empty")
            << QStringList{studentName, QStringLiteral("1"), QString(), QStringLiteral("1")} << 4
            << false;
        QTest::newRow("1 then a folder")
            << QStringList{studentName, QStringLiteral("1"), QStringLiteral("<other>"),
                           QStringLiteral("1")}
            << 4 << true;
    }
    void folderChoices()
    {
        QFETCH(QStringList, answers);
        const QString other = scratch_.path() + QStringLiteral("/other") + QString::number(runs_);
        QVERIFY(QDir().mkdir(other));
        answers.replaceInStrings(QStringLiteral("<other>"), other);
        const Session run(folder_, answers);
        QVERIFY(run.started);
        QTEST(int(run.platform.promptsShown.size()), "prompts");
        QFETCH(bool, otherFolder);
        const QString expected = otherFolder ? other : folder_;
        QCOMPARE(run.window->runFields().outputFolder, expected);
        QVERIFY(run.window->runFields().masterFileName.startsWith(expected + QDir::separator() +
                                                                  QStringLiteral("masterFile_")));
        // Only the default folder is ever created.
        QCOMPARE(run.platform.foldersCreated, QStringList{folder_});
        QCOMPARE(filesIn(expected).size(), 2);
    }

    void assignmentStart_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("head");
        QTest::addColumn<QString>("headLine");
        QTest::newRow("1") << QStringLiteral("1") << QStringLiteral("001") << QStringLiteral("002")
                           << 1 << QStringLiteral("001.  Areas");
        QTest::newRow("02") << QStringLiteral("02") << QStringLiteral("002")
                            << QStringLiteral("003") << 75 << QStringLiteral("002.  Volumes");
        QTest::newRow("003") << QStringLiteral("003") << QStringLiteral("003")
                             << QStringLiteral("004") << 129
                             << QStringLiteral(
                                    "003.  Misc:  Surface Area, Pythagorean Theorem, Density");
        QTest::newRow("4") << QStringLiteral("4") << QStringLiteral("004") << QStringLiteral("005")
                           << 191 << QStringLiteral("004.  Units of volume measure");
    }
    void assignmentStart()
    {
        QFETCH(QString, typed);
        QFETCH(QString, headLine);
        const Session run(folder_, standardAnswers(typed));
        QVERIFY(run.started);
        QTEST(run.window->runFields().assignmentNumber, "number");
        QTEST(run.window->runFields().nextAssignmentNumber, "next");
        QTEST(run.window->lineStore().bankLineCount, "head");

        const QByteArray master = fileBytes(run.window->runFields().masterFileName);
        const QByteArray send = fileBytes(run.window->runFields().sendFileName);
        QCOMPARE(master, send);
        const QList<QByteArray> lines = master.split('\n');
        QCOMPARE(lines.size(), 6); // five lines, each ending in CR LF
        QVERIFY(master.endsWith("\r\n"));
        QCOMPARE(QString::fromLatin1(lines[1]),
                 QStringLiteral("assignment #") + run.window->runFields().assignmentNumber + u'\r');
        QCOMPARE(QString::fromLatin1(lines[2]), headLine + u'\r');
        QCOMPARE(lines[3], QByteArray("bexlorin\r"));
        QCOMPARE(lines[4], QByteArray("03-03-2026\r"));
    }

    void aSecondRunAppends()
    {
        const Session first(folder_, standardAnswers());
        const QByteArray before = fileBytes(first.window->runFields().masterFileName);
        const QByteArray sendBefore = fileBytes(first.window->runFields().sendFileName);
        const Session second(folder_, standardAnswers(QStringLiteral("2")));
        const QByteArray after = fileBytes(second.window->runFields().masterFileName);
        QVERIFY(after.startsWith(before));
        QVERIFY(after.size() > before.size());
        QVERIFY(fileBytes(second.window->runFields().sendFileName).startsWith(sendBefore));
        QCOMPARE(after.count("assignment #"), 2);
    }

    void unknownAssignmentIsAskedAgain_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("padded");
        QTest::newRow("0001") << QStringLiteral("0001") << QStringLiteral("0001");
        QTest::newRow("1 and blank") << QStringLiteral("1 ") << QStringLiteral("01 ");
        QTest::newRow("5") << QStringLiteral("5") << QStringLiteral("005");
        QTest::newRow("cancelled") << QString() << QString();
    }
    void unknownAssignmentIsAskedAgain()
    {
        QFETCH(QString, typed);
        QFETCH(QString, padded);
        Session run(folder_, {studentName, QString(), typed, QStringLiteral("3")});
        QVERIFY(run.started);
        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY(message.contains(u'"' + padded + u'"'));
        for (const char *head : {"001.  Areas", "002.  Volumes", "004.  Units of volume measure"})
            QVERIFY(message.contains(QString::fromLatin1(head)));
        QCOMPARE(run.platform.promptsShown.last(), app::runsetup::assignmentPrompt());
        QCOMPARE(run.window->runFields().assignmentNumber, QStringLiteral("003"));
        QCOMPARE(run.window->runFields().nextAssignmentNumber, QStringLiteral("004"));
        QCOMPARE(run.window->lineStore().bankLineCount, 129);
        QCOMPARE(fileBytes(run.window->runFields().masterFileName).count("assignment #"), 1);
    }

    void cancelAtTheAssignmentRepairEndsWithoutWriting()
    {
        const Session run(folder_, {studentName, QString(), QStringLiteral("9"), QString()});
        QVERIFY(!run.started);
        QVERIFY(run.window->hasEnded());
        QVERIFY(run.platform.exitRequested);
        // Set-up made the folder and wrote nothing into it.
        QVERIFY(QDir(folder_).exists());
        QCOMPARE(filesIn(folder_), QStringList());
    }

    void unusableFolderIsAskedAgain_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << QStringLiteral("missing");
        QTest::newRow("folder is a file") << QStringLiteral("file");
        QTest::newRow("writes fail") << QStringLiteral("full");
    }
    void unusableFolderIsAskedAgain()
    {
        QFETCH(QString, kind);
        const QString bad = scratch_.path() + QStringLiteral("/bad") + QString::number(runs_);
        if (kind == u"file") {
            QFile file(bad);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == u"full") {
            if (!QFile::exists(QStringLiteral("/dev/full")))
                QSKIP("This system has no /dev/full");
            QVERIFY(QDir().mkdir(bad));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"),
                                bad + QStringLiteral("/masterFile_Student_Number_One.txt")));
        }
        const QString good = scratch_.path() + QStringLiteral("/good") + QString::number(runs_);
        QVERIFY(QDir().mkdir(good));

        Session run(folder_, {studentName, QStringLiteral("1"), bad, QStringLiteral("1"), good});
        QVERIFY(run.started);
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QVERIFY2(run.platform.messagesShown.first().contains(QDir::toNativeSeparators(bad)),
                 qPrintable(run.platform.messagesShown.first()));
        QCOMPARE(run.platform.promptsShown.last(), app::runsetup::otherFolderPrompt());
        QCOMPARE(run.window->runFields().outputFolder, good);
        QCOMPARE(run.window->runFields().notesFileName,
                 good + QDir::separator() + QStringLiteral("notes_Student_Number_One.txt"));
        QCOMPARE(fileBytes(run.window->runFields().masterFileName).count("assignment #"), 1);
        QCOMPARE(fileBytes(run.window->runFields().sendFileName).count("assignment #"), 1);
        if (kind == u"full") // the send file beside the refusing master got nothing either
            QCOMPARE(QFileInfo(bad + QStringLiteral("/send_0303Student_Number_One.txt")).size(), 0);
    }

    void cancelAtTheFolderRepairEndsWithoutWriting()
    {
        const QString missing = scratch_.path() + QStringLiteral("/nowhere/deeper");
        const Session run(folder_,
                          {studentName, QStringLiteral("1"), missing, QStringLiteral("1")});
        QVERIFY(!run.started);
        QVERIFY(run.platform.exitRequested);
        QVERIFY(!QDir(missing).exists());
        QCOMPARE(filesIn(folder_), QStringList());
    }

    void unusableNameIsAskedAgain_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("slash") << QStringLiteral("Ann/Lee");
        QTest::newRow("slash and dots") << QStringLiteral("../../Ann");
        // 265 bytes in "masterFile_" + name + ".txt", past the usual 255.
        QTest::newRow("too long") << QString(250, u'a');
    }
    void unusableNameIsAskedAgain()
    {
        QFETCH(QString, name);
        const Session run(folder_, {name, QString(), QStringLiteral("1"), QStringLiteral("Ann")});
        QVERIFY(run.started);
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QVERIFY2(run.platform.messagesShown.first().contains(
                     QStringLiteral("cannot be used in a file name")),
                 qPrintable(run.platform.messagesShown.first()));
        QCOMPARE(run.platform.promptsShown,
                 (QStringList{app::runsetup::namePrompt(),
                              app::runsetup::folderChoicePrompt(QDir::toNativeSeparators(folder_)),
                              app::runsetup::assignmentPrompt(), app::runsetup::namePrompt()}));
        QCOMPARE(run.window->runFields().notesFileName,
                 folder_ + QDir::separator() + QStringLiteral("notes_Ann.txt"));
        // Nothing, not even a folder or an empty file, was made for the refused name.
        QCOMPARE(QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                             QDir::System,
                                         QDir::Name),
                 (QStringList{QStringLiteral("masterFile_Ann.txt"),
                              QStringLiteral("send_0303Ann.txt")}));
        QCOMPARE(fileBytes(run.window->runFields().masterFileName).count("assignment #"), 1);
    }

    void cancelAtTheNameRepairEndsWithoutWriting()
    {
        const Session run(folder_, {QStringLiteral("Ann/Lee"), QString(), QStringLiteral("1")});
        QVERIFY(!run.started);
        QVERIFY(run.platform.exitRequested);
        QCOMPARE(run.platform.promptsShown.last(), app::runsetup::namePrompt());
        QCOMPARE(QDir(folder_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void aStartUpFailureEndsInOrder()
    {
        // A bank one entry too long for the store cannot be loaded.
        const QStringList overflowing(bank::LineStore::lastIndex + 1, QStringLiteral("x"));
        const Session run(folder_, standardAnswers(), overflowing);
        QVERIFY(!run.started);
        QVERIFY(run.platform.exitRequested);
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QVERIFY(run.platform.messagesShown.first().contains(QStringLiteral("5000")));
        QCOMPARE(filesIn(folder_), QStringList());
    }

    void inertControlsDoNothing()
    {
        Session run(folder_, standardAnswers());
        run.type(QStringLiteral("typed"));
        const QByteArray master = fileBytes(run.window->runFields().masterFileName);
        for (QPushButton *button : {run.window->cmd_timerTrigger, run.window->cmd_Make_paragraph,
                                    run.window->cmd_Make_Paragraph_question})
            button->click();
        run.window->List1->addItem(QStringLiteral("x"));
        run.window->List1->setCurrentRow(0);
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QStringLiteral("typed"));
        QVERIFY(!run.window->tmr_pend_exp->isActive());
        QCOMPARE(run.platform.beeps, 0);
        QCOMPARE(fileBytes(run.window->runFields().masterFileName), master);
        QCOMPARE(run.window->lineStore().bankLineCount, 1);
        QVERIFY(run.platform.promptsShown.size() == 3 && run.platform.messagesShown.isEmpty());
    }

    void quitEndsAtOnce()
    {
        Session run(folder_, standardAnswers());
        run.window->cmd_quit->click();
        QVERIFY(run.platform.exitRequested);
        QVERIFY(run.window->hasEnded());
        // Nothing runs once the program has ended.
        run.window->cmdNextQuestion->click();
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.window->lineStore().bankLineCount, 1);
    }

    void desktopPromptIsCaptionedAndEmpty()
    {
        platform::DesktopPlatform desktop;
        QString caption;
        QString label;
        QString initialText;
        std::function<void()> answer = [&] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(10, answer);
                return;
            }
            caption = dialog->windowTitle();
            label = dialog->labelText();
            initialText = dialog->textValue();
            dialog->setTextValue(QStringLiteral("Ann Lee"));
            dialog->accept();
        };
        QTimer::singleShot(0, answer);
        QCOMPARE(desktop.prompt(app::runsetup::namePrompt()), QStringLiteral("Ann Lee"));
        QCOMPARE(caption, QStringLiteral("Bexlorin"));
        QCOMPARE(label, app::runsetup::namePrompt());
        QCOMPARE(initialText, QString());

        std::function<void()> cancel = [&] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(10, cancel);
                return;
            }
            dialog->setTextValue(QStringLiteral("typed, then cancelled"));
            dialog->reject();
        };
        QTimer::singleShot(0, cancel);
        QCOMPARE(desktop.prompt(app::runsetup::assignmentPrompt()), QString());
    }

    // Windows keeps the records in c:\\tarnwick itself; elsewhere that folder does not exist,
    // and tarnwick in the home folder takes its place.
    void desktopDefaultFolder()
    {
        platform::DesktopPlatform desktop;
        const QString expected = QDir::separator() == u'\\'
                                     ? QStringLiteral("c:\\tarnwick")
                                     : QDir::homePath() + QStringLiteral("/tarnwick");
        QCOMPARE(desktop.defaultOutputFolder(), expected);
    }

private:
    int runs_ = 0;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
