#include "ui/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "ui/UiCommon.h"

namespace scrivo {

bool QtShellService::OpenDocument(const std::string& pathOrUrl)
{
    const QString target = ToQ(pathOrUrl);
    if (target.contains("://")) return QDesktopServices::openUrl(QUrl(target));
    if (!QFileInfo::exists(target)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

void InstallQtShell()
{
    static QtShellService service;
    SetShellService(&service);
}

} // namespace scrivo
