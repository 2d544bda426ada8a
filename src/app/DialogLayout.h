#pragma once

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

// A press of Enter or Return: in the rhythm dialogs' fields it does what OK does.
bool isEnterPress(const QEvent& event);
