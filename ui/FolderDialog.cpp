#include "ui/FolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include "platform/Paths.h"
#include "ui/UiCommon.h"

namespace scrivo {

namespace {

FolderPicker& Picker()
{
    static FolderPicker picker;
    return picker;
}

} // namespace

void SetFolderPicker(FolderPicker picker)
{
    Picker() = std::move(picker);
}

std::string BrowseForFolder(const std::string& prompt, const std::string& startFolder, bool newStyle)
{
    // A start folder that is not there (the old default "c" included) opens
    // the dialog in the user's home folder instead.
    std::string start = startFolder;
    if (!IsDirectory(start)) start = FromQ(QDir::homePath());
    if (Picker()) return Picker()(prompt, start);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    if (!newStyle) options |= QFileDialog::DontUseNativeDialog;
    const QString chosen =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQ(prompt), ToQ(start), options);
    return FromQ(chosen);
}

} // namespace scrivo
