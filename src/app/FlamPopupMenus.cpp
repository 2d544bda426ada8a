#include "app/FlamPopupMenus.h"

#include "app/FlamMenus.h"

#include <QMenu>

FlamPopupMenus::FlamPopupMenus(FlamMenus& menus)
    : m_menus(menus)
{}

bool FlamPopupMenus::popup(
    QStringView name, int index, QPoint at, const QObject& owner, std::function<void()> closed)
{
    QMenu* menu = m_menus.menu(name, index);
    if (!menu)
        return false;
    if (closed) {
        // A menu hides before it runs the chosen action, so the closing is queued behind the
        // handler: the window sees the menu closed with the choice already made. The owner is
        // the connection's context: destroyed with the menu still open (a window manager's close
        // and the delayed unload), it takes the connection and a closing already queued with it.
        QObject::connect(menu, &QMenu::aboutToHide, &owner, std::move(closed),
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
