// SPDX-License-Identifier: MIT
#include "platform/platform.h"

namespace platform {

void Platform::endProgram()
{
    requestExit();
    throw ProgramEnded{};
}

QString Platform::dateText()
{
    return now().date().toString(QStringLiteral("MM-dd-yyyy"));
}

QString Platform::timeText()
{
    return now().time().toString(QStringLiteral("HH:mm:ss"));
}

float Platform::secondsSinceMidnight()
{
    return static_cast<float>(now().time().msecsSinceStartOfDay()) / 1000.0f;
}

} // namespace platform
