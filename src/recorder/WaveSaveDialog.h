#pragma once

#include <functional>

#include <QString>

class MessageBoxService;
class QWidget;

// The recorder's save dialog for a take, wherever the take comes from (the recorder's Save, a
// take left behind by a crash). UI thread.
struct WaveSaveDialog
{
    // The file dialog itself: the chosen path, or empty when cancelled. Tests stand in their own.
    using Ask = std::function<QString(QWidget* parent)>;

    // The system's file dialog for WAV files.
    static QString fileDialog(QWidget* parent);

    // The path `ask` chose, with ".wav" added when it does not end so (the encoder makes its
    // output's name by cutting the last four characters); a file of the name so made is replaced
    // only on a Yes to "... already exists", since the dialog asked only about the name it was
    // given, and a No goes back to the dialog. Empty when cancelled.
    static QString askWavePath(QWidget* parent, const Ask& ask, MessageBoxService& boxes);
};
