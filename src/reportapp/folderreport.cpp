// SPDX-License-Identifier: MIT
#include "reportapp/folderreport.h"

#include "report/reportcommand.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace reportapp {

int chooseFolderAndReport()
{
    using namespace report;
    const QString folder = QFileDialog::getExistingDirectory(
        nullptr, QStringLiteral("Folder with the students' send files"), QDir::homePath());
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
    const int status = reportcommand::report({folder}, outputs, out, err);
    if (status == reportcommand::UsageError) {
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
