#include "app/MenuEntry.h"

#include <QAction>
#include <QMenu>

MenuEntry::MenuEntry(QString name, int index, QAction* action)
    : m_name(std::move(name))
    , m_index(index)
    , m_action(action)
{
    mirrorCheck();
    m_action->setEnabled(m_available);
    m_action->setVisible(m_shown);
    // Connected to the action itself so that the connection dies with it. A hidden action still
    // triggers, so the entry's own flags decide.
    QObject::connect(m_action, &QAction::triggered, m_action, [this] {
        mirrorCheck();
        if (m_handler && m_available && m_shown)
            m_handler(m_index);
    });
}

QMenu* MenuEntry::submenu() const
{
    return m_action->menu();
}

QString MenuEntry::caption() const
{
    return m_caption;
}

void MenuEntry::setCaption(const QString& caption)
{
    m_caption = caption;
    // Styles draw a separator's text beside its line: a separator's action has none.
    const bool separator = caption == QLatin1String("-");
    m_action->setText(separator ? QString() : caption);
    m_action->setSeparator(separator);
}

void MenuEntry::setChecked(bool checked)
{
    m_checked = checked;
    mirrorCheck();
}

void MenuEntry::setAvailable(bool available)
{
    m_available = available;
    m_action->setEnabled(available);
}

void MenuEntry::setShown(bool shown)
{
    m_shown = shown;
    m_action->setVisible(shown);
}

void MenuEntry::setHandler(std::function<void(int index)> handler)
{
    m_handler = std::move(handler);
}

void MenuEntry::mirrorCheck()
{
    if (m_checked) {
        m_action->setCheckable(true);
        m_action->setChecked(true);
    } else {
        m_action->setChecked(false);
        m_action->setCheckable(false);
    }
}
