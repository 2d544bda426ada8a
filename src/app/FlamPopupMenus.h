#pragma once

#include "windows/PopupMenus.h"

class FlamMenus;

// The engine form's menus as the other windows see them. UI thread only.
class FlamPopupMenus : public PopupMenus
{
public:
    explicit FlamPopupMenus(FlamMenus& menus);

    bool popup(QStringView name,
        int index,
        QPoint at,
        const QObject& owner,
        std::function<void()> closed) override;
    bool exists(QStringView name, int index) const override;
    QString caption(QStringView name, int index) const override;
    void setCaption(QStringView name, int index, const QString& caption) override;
    bool checked(QStringView name, int index) const override;
    void setChecked(QStringView name, int index, bool checked) override;
    void setAvailable(QStringView name, int index, bool available) override;
    void setShown(QStringView name, int index, bool shown) override;
    bool load(QStringView name, int index, const QString& caption) override;

private:
    FlamMenus& m_menus;
};
