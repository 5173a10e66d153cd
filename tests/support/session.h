// SPDX-License-Identifier: MIT
#pragma once

#include "app/bexlorin.h"
#include "fakeplatform.h"

#include <QByteArray>
#include <QFile>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include <memory>

// One run of the program on the scripted platform: the window is created and loaded with
// the given start-up answers (name, folder choice, [folder,] assignment number).
struct Session
{
    FakePlatform platform;
    std::unique_ptr<Bexlorin> window;
    bool started = false;

    Session(const QString &defaultFolder, const QStringList &answers,
            const QStringList &bankContent = {})
    {
        platform.defaultFolder = defaultFolder;
        for (const QString &answer : answers)
            platform.answers.enqueue(answer);
        window = bankContent.isEmpty() ? std::make_unique<Bexlorin>(platform)
                                       : std::make_unique<Bexlorin>(platform, bankContent);
        started = window->load();
    }

    // The boxes as the student sees them ("\n" line breaks).
    QString question() const { return window->txt_question->toPlainText(); }
    QString answer() const { return window->txt_answer->toPlainText(); }
    void type(const QString &text) const { window->txt_answer->setPlainText(text); }
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
