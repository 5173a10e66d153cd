// SPDX-License-Identifier: MIT
#pragma once

#include <QFileDialog>

namespace reportapp {

// Asks for the folder of the students' send files or the .zip a course site handed out: a
// folder dialog that shows .zip files and takes one when it is chosen.
class FolderOrZipDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit FolderOrZipDialog(const QString &start, QWidget *parent = nullptr);

    // The folder or archive chosen; empty when the dialog was cancelled.
    QString chosen() const { return chosen_; }

    void accept() override;

private:
    QString chosen_;
};

} // namespace reportapp
