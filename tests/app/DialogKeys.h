#pragma once

// The user's hands on a dialog's fields.

#include <QString>
#include <QTest>
#include <QWidget>

// Replaces a field's text as a user would: select all, then type over it (or delete it).
inline void retype(QWidget* field, const QString& text)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

inline void clickOn(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}
