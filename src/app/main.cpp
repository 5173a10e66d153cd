// SPDX-License-Identifier: MIT
#include "app/bexlorin.h"
#include "platform/desktopplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bexlorin"));
    QApplication::setApplicationVersion(QStringLiteral(BEXLORIN_VERSION));

    platform::DesktopPlatform platform;
    Bexlorin window(platform);
    // The start-up prompts come before the window is shown; the student may end it there.
    if (!window.load())
        return 0;
    platform.setWindow(&window);
    window.show();
    return QApplication::exec();
}
