#include "platform/shell/ShellHelpers.h"

#include "platform/basic/MessageBoxService.h"

#include <QFileInfo>
#include <QWidget>

bool CheckFileExists(const QString& FileName)
{
    if (FileName.isEmpty())
        return false;
    return QFileInfo(FileName).isFile();
}

void SetAlwaysOnTop(QWidget* frm, MessageBoxService& boxes)
{
    if (!frm || !frm->isWindow()) {
        boxes.msgBox(QStringLiteral("Only a window can be kept on top of the others."),
            MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("Error"));
        return;
    }
    // Changing a window's flags hides it and may move it: put it back as it was.
    const QRect geometry = frm->geometry();
    const bool shown = frm->isVisible();
    frm->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    frm->setGeometry(geometry);
    if (shown)
        frm->show();
}
