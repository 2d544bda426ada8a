#pragma once

#include <functional>
#include <initializer_list>

#include <QString>

class QEvent;
class QPushButton;
class QWidget;

// A push button of a dialog, carrying its given name as its object name.
QPushButton* dialogButton(QWidget& dialog, const char* name, const QString& caption);

// The dialog's frame above one row of buttons: `left` at the left edge, `right` at the right.
void frameAboveButtons(QWidget& dialog,
    QWidget* frame,
    std::initializer_list<QPushButton*> left,
    std::initializer_list<QPushButton*> right);

// In the rhythm dialogs' fields Enter and Return do what OK does: a press runs `ok` once (not
// again while the key is held) and the field never sees the key. True when the event was taken.
bool enterRunsOk(const QEvent& event, const std::function<void()>& ok);
