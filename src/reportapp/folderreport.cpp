// SPDX-License-Identifier: MIT
#include "reportapp/folderreport.h"

#include "report/reportcommand.h"
#include "report/workbookwriter.h"
#include "reportapp/folderorzipdialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace reportapp {

bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true; // offscreen, vnc and the like need no display
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

int chooseFolderAndReport()
{
    using namespace report;
    FolderOrZipDialog dialog(QDir::homePath());
    dialog.exec();
    const QString folder = dialog.chosen();
    if (folder.isEmpty())
        return reportcommand::Clean;

    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    const QString page = reportcommand::htmlPathForFolder(folder, documents);

    QString table;
    QString messages;
    QTextStream out(&table);
    QTextStream err(&messages);
    reportcommand::Outputs outputs;
    outputs.table = false;
    outputs.htmlPath = page;
    if (report::WorkbookWriter::available()) // for a spreadsheet program, beside the page
        outputs.xlsxPath = QFileInfo(page).dir().filePath(QStringLiteral("bexlorin-report.xlsx"));
    bool written = false;
    const int status = reportcommand::report({folder}, outputs, out, err, &written);
    if (!written) {
        QMessageBox::warning(nullptr, QStringLiteral("Bexlorin report"),
                             QStringLiteral("No report was written.\n\n%1").arg(messages));
        return status;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        QMessageBox::information(
            nullptr, QStringLiteral("Bexlorin report"),
            QStringLiteral("The report is in %1.").arg(QDir::toNativeSeparators(page)));
    }
    return status;
}

} // namespace reportapp
