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

bool enterRunsOk(const QEvent& event, const std::function<void()>& ok)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    if (!key.isAutoRepeat())
        ok();
    return true;
}
