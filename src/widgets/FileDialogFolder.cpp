#include "widgets/FileDialogFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "widgets/UserSettings.h"

namespace korvex {
namespace {

const QString FolderKey = QStringLiteral("FileDialogs/LastFolder");

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

}  // namespace

QString LastFileFolder()
{
    const QString remembered = UserSettings().value(FolderKey).toString();
    // A folder removed or unmounted since is no place to start from.
    return !remembered.isEmpty() && QDir(remembered).exists() ? remembered : DocumentsFolder();
}

void RememberFileFolder(const QString& chosenFile)
{
    UserSettings().setValue(FolderKey, QFileInfo(chosenFile).absolutePath());
}

QString AskFileInLastFolder(QFileDialog& dialog)
{
    dialog.setDirectory(LastFileFolder());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    RememberFileFolder(files.first());
    return files.first();
}

}  // namespace korvex
