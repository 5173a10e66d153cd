// SPDX-License-Identifier: MIT
#include "reportapp/folderorzipdialog.h"

#include <QFileInfo>

namespace reportapp {

FolderOrZipDialog::FolderOrZipDialog(const QString &start, QWidget *parent)
    : QFileDialog(parent, QStringLiteral("Folder with the students' send files, or their .zip"),
                  start)
{
    // Qt's own dialog: only there is a file accepted where a folder is asked for.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, false);
    setNameFilter(QStringLiteral("Course site downloads (*.zip *.ZIP)"));
    setLabelText(QFileDialog::Accept, QStringLiteral("Read"));
}

void FolderOrZipDialog::accept()
{
    const QStringList files = selectedFiles();
    const QFileInfo info(files.value(0));
    if (files.size() == 1 && info.isFile() &&
        info.fileName().endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) {
        chosen_ = info.filePath();
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
    if (result() == QDialog::Accepted)
        chosen_ = selectedFiles().value(0);
}

} // namespace reportapp
