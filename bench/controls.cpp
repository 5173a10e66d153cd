// SPDX-License-Identifier: MIT
// A reference for start-up, not a target: a window of the program's size holding the same
// kinds and number of controls as the real window (two multi-line boxes in a bold 10 point
// font with their scroll bars, 13 buttons, 6 labels, 5 one-line boxes, a list, two white
// framed panels), with their captions and places, each caption in the program's font at the
// largest size that fits (the program's own rule, so that both pay for it), but none of the
// program: no platform, no line store, no record files. Shows, waits for exposure, quits, as
// bench_baseline does.
// The gap between it and bench_baseline is what Qt charges for such a window; the gap
// between it and bench_startup is what the program adds.
#include "platform/windowfont.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QThread>
#include <QWindow>

namespace {

enum class Kind { TextBox, Button, Label, LineEdit, List, Panel };

struct Control
{
    Kind kind;
    const char16_t *text;
    QRect pixels;
};

// clang-format off
const Control controls[] = {
    {Kind::TextBox,  u"",                       { 16,  48, 345, 217}},
    {Kind::TextBox,  u" ",                      {376,  48, 337, 217}},
    {Kind::Button,   u"Next Question / Answer", { 16,   0,  65,  49}},
    {Kind::Button,   u"Enter Response",         {376,  16,  57,  33}},
    {Kind::Panel,    u"",                       { 16, 272, 345, 225}},
    {Kind::Panel,    u"",                       {376, 272, 337, 225}},
    {Kind::Button,   u"Save as Notes",          {432,  16,  57,  33}},
    {Kind::Button,   u"Make Paragraph",         {488,  16,  65,  33}},
    {Kind::Button,   u"Make Paragraph",         { 80,  16,  57,  33}},
    {Kind::LineEdit, u"1",                      {208,  16,  10,  33}},
    {Kind::Label,    u"# sentences previous",   {200,  16,  17,  33}},
    {Kind::Button,   u"Trigger Timer",          {160, 504,  49,  33}},
    {Kind::List,     u"",                       {208, 512, 113,  56}},
    {Kind::Label,    u"Parameter 1",            {376, 512,  60,  13}},
    {Kind::LineEdit, u"1",                      {448, 512,  20,  19}},
    {Kind::Label,    u"Parameter 2",            {376, 544,  57,  13}},
    {Kind::LineEdit, u"1",                      {448, 544,  20,  19}},
    {Kind::Label,    u"Parameter 3",            {480, 512,  67,  13}},
    {Kind::LineEdit, u"1",                      {547, 512,  20,  19}},
    {Kind::Label,    u"Parameter 4",            {480, 544,  60,  13}},
    {Kind::LineEdit, u"1",                      {547, 544,  20,  19}},
    {Kind::Button,   u"display SEND file",      {280,  16,  57,  33}},
    {Kind::Button,   u"display notes",          {216,  16,   9,  33}},
    {Kind::Button,   u"quit program",           {680,   0,  49,  33}},
    {Kind::Button,   u"pend exp",               {576, 504,  33,  25}},
    {Kind::Button,   u"next picture",           { 80, 504,  57,  33}},
    {Kind::Label,    u"click only if prompted", { 16, 504,  57,  33}},
    {Kind::Button,   u"copy picture",           { 80, 544,  57,  33}},
    {Kind::Button,   u"clear box",              {552,  16,  57,  33}},
};
// clang-format on

// The caption at the largest size that fits where the control shows it.
void fitCaption(QWidget *widget, const QString &text, const QRectF &area, int flags)
{
    const qreal points =
        platform::fittingCaptionPoints(text, area, flags, widget->devicePixelRatioF());
    if (points > 0)
        widget->setFont(platform::windowFont(points));
}

QWidget *create(const Control &control, QWidget *parent)
{
    const QString text = QString::fromUtf16(control.text);
    switch (control.kind) {
    case Kind::TextBox: {
        auto *box = new QPlainTextEdit(parent);
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSizeF(10);
        font.setWeight(QFont::Bold);
        box->setFont(font);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setPlainText(text);
        return box;
    }
    case Kind::Button: {
        auto *button = new QPushButton(text, parent);
        button->setGeometry(control.pixels);
        QStyleOptionButton option;
        option.initFrom(button);
        fitCaption(button, text,
                   button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                   Qt::AlignCenter | Qt::TextWordWrap);
        return button;
    }
    case Kind::Label: {
        auto *label = new QLabel(text, parent);
        label->setGeometry(control.pixels);
        label->setWordWrap(true);
        fitCaption(label, text, label->contentsRect(), Qt::AlignLeft | Qt::TextWordWrap);
        return label;
    }
    case Kind::LineEdit: {
        auto *line = new QLineEdit(text, parent);
        line->setGeometry(control.pixels);
        fitCaption(line, text, line->contentsRect().adjusted(3, 2, -3, -2), Qt::AlignLeft);
        return line;
    }
    case Kind::List:
        return new QListWidget(parent);
    case Kind::Panel: {
        auto *panel = new QFrame(parent);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAutoFillBackground(true);
        QPalette colours = panel->palette();
        colours.setColor(QPalette::Window, Qt::white);
        panel->setPalette(colours);
        return panel;
    }
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFont(platform::windowFont(platform::smallestCaptionPoints));
    window.resize(725, 566);
    for (const Control &control : controls)
        create(control, &window)->setGeometry(control.pixels);
    window.show();

    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QCoreApplication::processEvents();
        if (window.windowHandle() && window.windowHandle()->isExposed())
            return 0;
        if (waited.elapsed() > 5000)
            return 1;
        QThread::usleep(200);
    }
}
