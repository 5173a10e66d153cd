// SPDX-License-Identifier: MIT
#include "fakeplatform.h"

#include <QDir>

QString FakePlatform::prompt(const QString &message)
{
    promptsShown.append(message);
    if (onPrompt)
        onPrompt(message);
    return answers.isEmpty() ? QString() : answers.dequeue();
}

void FakePlatform::showMessage(const QString &message)
{
    messagesShown.append(message);
}

QDateTime FakePlatform::now()
{
    const QDateTime reading = clock;
    clock = clock.addSecs(secondsPerClockRead);
    return reading;
}

void FakePlatform::seedRandom(float seed)
{
    seeds.append(seed);
    generator_.seed(seed);
}

float FakePlatform::nextRandom()
{
    ++drawsTaken;
    return draws.isEmpty() ? generator_.next() : draws.dequeue();
}

void FakePlatform::beep()
{
    ++beeps;
}

void FakePlatform::announce(const QString &text)
{
    announced.append(text);
    if (onAnnounce)
        onAnnounce(text);
}

QImage FakePlatform::clipboardImage()
{
    return clipboard;
}

void FakePlatform::setClipboardImage(const QImage &picture)
{
    if (!clipboardRefuses)
        clipboard = picture;
}

QString FakePlatform::defaultOutputFolder()
{
    return defaultFolder;
}

bool FakePlatform::createFolder(const QString &path)
{
    foldersCreated.append(path);
    return QDir().mkdir(path);
}

void FakePlatform::requestExit()
{
    exitRequested = true;
}
