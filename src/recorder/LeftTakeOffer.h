#pragma once

#include "recorder/WaveSaveDialog.h"

#include <QString>

class FileStore;
class MessageBoxService;
class TakeFile;
class QWidget;

// Offers back, one after the other, the takes that programs which did not close (a crash, a
// kill, a power cut) left in the take folder (TakeFile::leftIn; a take still being recorded by a
// running copy is never among them): "A recording from a session that ended unexpectedly was
// found: <length>, recorded on <date> at <time>. Save it?". Yes opens the recorder's save dialog
// and writes the take as the recorder's Save does, then removes it; No removes it. A save dialog
// cancelled, a save that fails (told in a box) or a box closed without an answer (the program
// ends meanwhile) keeps the take for the next start. UI thread.
class LeftTakeOffer
{
public:
    LeftTakeOffer(MessageBoxService& boxes, FileStore& files);

    // The save dialog; tests stand in their own.
    WaveSaveDialog::Ask askSavePath = WaveSaveDialog::fileDialog;

    // Offers every take left in `folder`, its boxes and dialogs over `parent`.
    void offer(const QString& folder, QWidget* parent);

private:
    // True when the take was written where the user chose.
    bool save(const TakeFile& take, QWidget* parent);

    MessageBoxService& m_boxes;
    FileStore& m_files;
};
