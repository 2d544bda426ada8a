#pragma once

#include <QString>
#include <QVariant>

class QWidget;

// The folder a start or root value names: a number (or a numeric text, or nothing) is a special
// folder, 0 the desktop (home when there is no desktop folder) and every other number home; any
// other text is a folder path itself.
QString specialFolderPath(const QVariant& folder);

// Lets the user pick a folder under `prompt`, starting at `startFolder` (the root when it is
// left out). The chosen folder without a trailing "/", or "" when the user cancels.
QString BrowseForFolder(QWidget* owner,
    const QString& prompt,
    const QVariant& startFolder = {},
    const QVariant& rootFolder = 0);
