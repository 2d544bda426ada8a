#include "app/DialogLayout.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton* dialogButton(QWidget& dialog, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, &dialog);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void frameAboveButtons(QWidget& dialog,
    QWidget* frame,
    std::initializer_list<QPushButton*> left,
    std::initializer_list<QPushButton*> right)
{
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : left)
        buttons->addWidget(button);
    buttons->addStretch(1);
    for (QPushButton* button : right)
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(frame);
    layout->addLayout(buttons);
}

bool isEnterPress(const QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent&>(event).key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
