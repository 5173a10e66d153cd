// SPDX-License-Identifier: MIT
#include "platform/desktopplatform.h"

#include "platform/announcer.h"
#include "platform/keyrepeat.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSet>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {
const QString caption = QStringLiteral("Bexlorin");
}

// Watches every key stroke of the application, so that a prompt or message knows which keys
// were down when it opened. Such a key, and every repeat of a key held from before, is kept
// from the dialog until it has been released and pressed afresh: a Return still held from
// the button that opened a rating prompt must not answer it with an empty rating.
class DesktopPlatform::HeldKeys : public QObject
{
public:
    HeldKeys() { qApp->installEventFilter(this); }

    // While a guard lives, `dialog` gets only fresh strokes.
    class Guard
    {
    public:
        Guard(HeldKeys *keys, QWidget *dialog)
            : keys_(keys)
        {
            if (!keys_)
                return;
            keys_->dialog_ = dialog;
            keys_->kept_ = keys_->down_;
            keys_->fresh_.clear();
        }
        ~Guard()
        {
            if (!keys_)
                return;
            // A key that answered the dialog closed it on its press: its release goes to no
            // window and is never seen. Were it still counted as down, the next prompt would
            // take the student's next press of it for a held key. A key really still held
            // shows itself by its repeats.
            keys_->down_.subtract(keys_->fresh_);
            keys_->dialog_ = nullptr;
        }
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;

    private:
        HeldKeys *keys_;
    };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool press = event->type() == QEvent::KeyPress;
        if (!press && event->type() != QEvent::KeyRelease)
            return false;
        // A key event the focus widget ignores travels on to its parents: count it once, at
        // the widget it was sent to.
        QWidget *focus = QApplication::focusWidget();
        if (watched != (focus ? focus : QApplication::activeWindow()))
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool keep = dialog_ && (watched == dialog_ || dialog_->isAncestorOf(focus))
                              ? keepFromDialog(*key, press)
                              : false;
        if (!key->isAutoRepeat()) {
            if (press) {
                down_.insert(key->key());
            } else {
                down_.remove(key->key());
                lastRelease_.note(*key);
            }
        }
        return keep;
    }

private:
    bool keepFromDialog(const QKeyEvent &key, bool press)
    {
        // Only the keys that answer a dialog: a letter held on is just typed again, and the
        // same letter typed twice in quick succession must not be taken for a repeat.
        const int code = key.key();
        if (code != Qt::Key_Return && code != Qt::Key_Enter && code != Qt::Key_Space &&
            code != Qt::Key_Escape)
            return false;
        if (fresh_.contains(code)) {
            if (!press && !key.isAutoRepeat())
                fresh_.remove(code);
            return false;
        }
        if (press) {
            if (kept_.contains(code) || isRepeat(key, lastRelease_)) {
                kept_.insert(code);
                return true;
            }
            fresh_.insert(code);
            return false;
        }
        if (!key.isAutoRepeat())
            kept_.remove(code);
        return true;
    }

    QSet<int> down_;
    LastRelease lastRelease_;
    QPointer<QWidget> dialog_;
    QSet<int> kept_;  // held from before the dialog opened, or repeating such a key
    QSet<int> fresh_; // pressed afresh while the dialog is open
};

DesktopPlatform::DesktopPlatform()
    : heldKeys_(qApp ? std::make_unique<HeldKeys>() : nullptr)
{}

DesktopPlatform::~DesktopPlatform() = default;

void DesktopPlatform::setWindow(QWidget *window)
{
    messageParent_ = window;
    announcer_ = std::make_unique<Announcer>(window);
}

QString DesktopPlatform::prompt(const QString &message)
{
    QInputDialog dialog;
    dialog.setWindowTitle(caption);
    dialog.setLabelText(message);
    dialog.setTextValue(QString());
    // The rating prompts are long: wrap them instead of stretching the dialog off screen.
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setWordWrap(true);
    const HeldKeys::Guard fresh(heldKeys_.get(), &dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void DesktopPlatform::showMessage(const QString &message)
{
    QMessageBox box(QMessageBox::Warning, caption, message, QMessageBox::Ok, messageParent_);
    const HeldKeys::Guard fresh(heldKeys_.get(), &box);
    box.exec();
}

QDateTime DesktopPlatform::now()
{
    return QDateTime::currentDateTime();
}

void DesktopPlatform::seedRandom(float seed)
{
    random_.seed(seed);
}

float DesktopPlatform::nextRandom()
{
    return random_.next();
}

void DesktopPlatform::beep()
{
#ifdef Q_OS_WIN
    // The system's default sound, whichever Qt platform plugin draws the window.
    MessageBeep(MB_OK);
#else
    QApplication::beep();
#endif
}

void DesktopPlatform::announce(const QString &text)
{
    if (announcer_)
        announcer_->say(text);
}

QImage DesktopPlatform::clipboardImage()
{
    return QGuiApplication::clipboard()->image();
}

void DesktopPlatform::setClipboardImage(const QImage &picture)
{
    QGuiApplication::clipboard()->setImage(picture);
}

QString DesktopPlatform::defaultOutputFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\tarnwick");
#else
    return QDir::homePath() + QStringLiteral("/tarnwick");
#endif
}

bool DesktopPlatform::createFolder(const QString &path)
{
    return QDir().mkdir(path);
}

void DesktopPlatform::requestExit()
{
    QCoreApplication::exit(0);
}

} // namespace platform
