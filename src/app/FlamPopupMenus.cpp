#include "app/FlamPopupMenus.h"

#include "app/FlamMenus.h"

#include <QMenu>

FlamPopupMenus::FlamPopupMenus(FlamMenus& menus)
    : m_menus(menus)
{}

bool FlamPopupMenus::popup(QStringView name, int index, QPoint at, std::function<void()> closed)
{
    QMenu* menu = m_menus.menu(name, index);
    if (!menu)
        return false;
    if (closed) {
        // A menu hides before it runs the chosen action, so the closing is queued behind the
        // handler: the window sees the menu closed with the choice already made.
        QObject::connect(menu, &QMenu::aboutToHide, menu, std::move(closed),
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    }
    menu->popup(at);
    return true;
}

bool FlamPopupMenus::exists(QStringView name, int index) const
{
    return m_menus.entry(name, index) != nullptr;
}

QString FlamPopupMenus::caption(QStringView name, int index) const
{
    const MenuEntry* entry = m_menus.entry(name, index);
    return entry ? entry->caption() : QString();
}

void FlamPopupMenus::setCaption(QStringView name, int index, const QString& caption)
{
    if (MenuEntry* entry = m_menus.entry(name, index))
        entry->setCaption(caption);
}

bool FlamPopupMenus::checked(QStringView name, int index) const
{
    const MenuEntry* entry = m_menus.entry(name, index);
    return entry && entry->checked();
}

void FlamPopupMenus::setChecked(QStringView name, int index, bool checked)
{
    if (MenuEntry* entry = m_menus.entry(name, index))
        entry->setChecked(checked);
}

void FlamPopupMenus::setAvailable(QStringView name, int index, bool available)
{
    if (MenuEntry* entry = m_menus.entry(name, index))
        entry->setAvailable(available);
}

void FlamPopupMenus::setShown(QStringView name, int index, bool shown)
{
    if (MenuEntry* entry = m_menus.entry(name, index))
        entry->setShown(shown);
}

bool FlamPopupMenus::load(QStringView name, int index, const QString& caption)
{
    return m_menus.load(name, index, caption) != nullptr;
}
