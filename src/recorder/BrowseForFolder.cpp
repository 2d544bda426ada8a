#include "BrowseForFolder.h"

#include "platform/basic/Conversions.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

QString specialFolderPath(const QVariant& folder)
{
    const QString text = folder.toString();
    if (!text.trimmed().isEmpty() && !IsNumeric(text))
        return text;
    if (Val(text) == 0) {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (!desktop.isEmpty() && QDir(desktop).exists())
            return desktop;
    }
    return QDir::homePath();
}

QString BrowseForFolder(
    QWidget* owner, const QString& prompt, const QVariant& startFolder, const QVariant& rootFolder)
{
    const QString start = specialFolderPath(startFolder.isValid() ? startFolder : rootFolder);
    QString chosen = QFileDialog::getExistingDirectory(owner, prompt, start);
    while (chosen.size() > 1 && chosen.endsWith(u'/'))
        chosen.chop(1);
    return chosen;
}
