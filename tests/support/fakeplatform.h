// SPDX-License-Identifier: MIT
#pragma once

#include "platform/platform.h"
#include "platform/randomgenerator.h"

#include <QImage>
#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

// A scripted platform: queued prompt answers, a fixed clock, queued random draws (then a
// seeded generator), recorded messages, beeps, announcements and exits.
class FakePlatform : public platform::Platform
{
public:
    // Answers in the order the prompts come; a prompt with none left is answered like Cancel.
    QQueue<QString> answers;
    QStringList promptsShown;
    QStringList messagesShown;
    // Called with each prompt's message before it is answered.
    std::function<void(const QString &)> onPrompt;

    QDateTime clock{QDate(2026, 3, 3), QTime(9, 5, 30)};
    int secondsPerClockRead = 0;

    QQueue<float> draws;
    QList<float> seeds;
    int drawsTaken = 0;

    int beeps = 0;
    // Every announcement, in order; each is also handed to onAnnounce when set.
    QStringList announced;
    std::function<void(const QString &)> onAnnounce;
    QImage clipboard;
    bool clipboardRefuses = false;

    QString defaultFolder;
    QStringList foldersCreated;

    bool exitRequested = false;

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
    platform::RandomGenerator generator_;
};
