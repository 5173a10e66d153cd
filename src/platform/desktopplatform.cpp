// SPDX-License-Identifier: MIT
#include "platform/desktopplatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {
const QString caption = QStringLiteral("Bexlorin");
}

void DesktopPlatform::setMessageParent(QWidget *window)
{
    messageParent_ = window;
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
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void DesktopPlatform::showMessage(const QString &message)
{
    QMessageBox::warning(messageParent_, caption, message);
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
