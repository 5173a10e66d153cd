// SPDX-License-Identifier: MIT
#include "platform/consoleoutput.h"
#include "report/reportcommand.h"
#include "reportapp/folderreport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("bexlorin-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BEXLORIN_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    // Only the desktop entry's folder dialog needs a screen; the command line runs without.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--choose-folder") == 0) {
            if (!reportapp::hasDisplay()) {
                std::fputs("bexlorin-report: --choose-folder needs a desktop session, and no "
                           "display was found; name the folder on the command line instead "
                           "(see --help)\n",
                           stderr);
                return 2;
            }
            QApplication app(argc, argv);
            nameApplication();
            return reportapp::chooseFolderAndReport();
        }
    }
    QCoreApplication app(argc, argv);
    nameApplication();
    platform::ConsoleOutput standardOutput(platform::ConsoleOutput::StandardOutput);
    platform::ConsoleOutput standardError(platform::ConsoleOutput::StandardError);
    QTextStream out(&standardOutput);
    QTextStream err(&standardError);
    return report::reportcommand::run(QCoreApplication::arguments(), out, err);
}
