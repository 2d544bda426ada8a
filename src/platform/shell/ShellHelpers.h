#pragma once

#include <QString>

class MessageBoxService;
class QWidget;

// True exactly when `FileName` names an existing file: the path is taken literally (a "*" or
// "?" is part of the name, never a pattern), a hidden (dot) file counts, and a folder, a missing
// path or "" give False. Never throws.
bool CheckFileExists(const QString& FileName);

// Keeps the window `frm` above all windows that are not kept on top, where and as large as it
// was, shown if it was shown. A null or non-top-level window cannot be kept on top: the user is
// told in a box titled "Error", and the caller goes on.
void SetAlwaysOnTop(QWidget* frm, MessageBoxService& boxes);
