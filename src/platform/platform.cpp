// SPDX-License-Identifier: MIT
#include "platform/platform.h"

namespace platform {

void Platform::endProgram()
{
    requestExit();
    throw ProgramEnded{};
}

namespace {
const QString dateFormat = QStringLiteral("MM-dd-yyyy");
const QString timeFormat = QStringLiteral("HH:mm:ss");
} // namespace

QString Platform::dateText()
{
    return now().date().toString(dateFormat);
}

QString Platform::timeText()
{
    return now().time().toString(timeFormat);
}

QString Platform::dateAndTimeText()
{
    const QDateTime reading = now();
    return reading.date().toString(dateFormat) + reading.time().toString(timeFormat);
}

float Platform::secondsSinceMidnight()
{
    return static_cast<float>(now().time().msecsSinceStartOfDay()) / 1000.0f;
}

} // namespace platform
