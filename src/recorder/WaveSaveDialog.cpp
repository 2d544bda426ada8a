#include "recorder/WaveSaveDialog.h"

#include "platform/basic/MessageBoxService.h"
#include "platform/shell/ShellHelpers.h"

#include <QFileDialog>
#include <QFileInfo>

QString WaveSaveDialog::fileDialog(QWidget* parent)
{
    return QFileDialog::getSaveFileName(
        parent, QString(), QString(), QStringLiteral("WAV file (*.wav)"));
}

QString WaveSaveDialog::askWavePath(QWidget* parent, const Ask& ask, MessageBoxService& boxes)
{
    for (;;) {
        QString path = ask ? ask(parent) : QString();
        const QString extension = QStringLiteral(".wav");
        if (path.isEmpty() || path.endsWith(extension, Qt::CaseInsensitive))
            return path;
        path += extension;
        if (!CheckFileExists(path)
            || boxes.msgBox(QFileInfo(path).fileName()
                       + QStringLiteral(" already exists.\nDo you want to replace it?"),
                   MsgButtons::YesNo, MsgIcon::Exclamation, QStringLiteral("Save As"))
                == MsgResult::Yes)
            return path;
    }
}
