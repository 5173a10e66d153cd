// SPDX-License-Identifier: MIT
#pragma once

#include "platform/platform.h"
#include "platform/randomgenerator.h"

#include <QPointer>

#include <memory>

class QWidget;

namespace platform {

class Announcer;

// The platform services of a desktop session: Qt's dialogs, clock, clipboard and beep.
class DesktopPlatform final : public Platform
{
public:
    // Construct after the QApplication: it watches the keyboard from then on.
    DesktopPlatform();
    ~DesktopPlatform() override;

    // Messages are shown over this window once it exists (prompts keep their own place), and
    // announcements are made for it.
    void setWindow(QWidget *window);

    QString prompt(const QString &message) override;
    void showMessage(const QString &message) override;
    QDateTime now() override;
    void seedRandom(float seed) override;
    float nextRandom() override;
    void beep() override;
    void announce(const QString &text) override;
    QImage clipboardImage() override;
    void setClipboardImage(const QImage &picture) override;
    QString defaultOutputFolder() override;
    bool createFolder(const QString &path) override;

protected:
    void requestExit() override;

private:
    class HeldKeys;

    RandomGenerator random_;
    std::unique_ptr<HeldKeys> heldKeys_;
    QPointer<QWidget> messageParent_;
    std::unique_ptr<Announcer> announcer_;
};

} // namespace platform
