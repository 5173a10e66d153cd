// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>

class QImage;

namespace platform {

// Thrown by Platform::endProgram. It unwinds the running handler up to the window's event
// boundary, which swallows it: nothing more of that handler, nor any later one, runs.
struct ProgramEnded
{};

// Every service the program takes from its platform. The window gets one instance; tests
// hand it a scripted stand-in, so no logic ever reads a real clock, prompt or generator.
class Platform
{
public:
    virtual ~Platform() = default;

    // Modal text prompt captioned "Bexlorin" with an empty default. Cancel gives "".
    virtual QString prompt(const QString &message) = 0;
    // The program's own failure messages (never used for the fixed prompts).
    virtual void showMessage(const QString &message) = 0;

    virtual QDateTime now() = 0;

    // The program's one pseudo-random generator: seeded once, draws in [0, 1), never 1.
    virtual void seedRandom(float seed) = 0;
    virtual float nextRandom() = 0;

    virtual void beep() = 0;
    // Tells the student's screen reader what a command produced, without moving the focus.
    virtual void announce(const QString &text) = 0;
    virtual QImage clipboardImage() = 0;
    virtual void setClipboardImage(const QImage &picture) = 0;

    // Where the record files go unless the student names another folder.
    virtual QString defaultOutputFolder() = 0;
    // Creates one folder level; false when it could not (it may already exist).
    virtual bool createFolder(const QString &path) = 0;

    // Ends the program at once: asks the platform to exit with status 0, then throws
    // ProgramEnded so that the caller's remaining steps never run.
    [[noreturn]] void endProgram();

    // The clock as the record files write it.
    QString dateText();           // mm-dd-yyyy
    QString timeText();           // hh:mm:ss, 24 hours
    QString dateAndTimeText();    // mm-dd-yyyyhh:mm:ss, from one reading
    float secondsSinceMidnight(); // with its fraction

protected:
    virtual void requestExit() = 0;
};

} // namespace platform
