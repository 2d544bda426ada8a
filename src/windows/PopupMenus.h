#pragma once

#include <functional>

#include <QPoint>
#include <QString>
#include <QStringView>

class QObject;

// The application's menus as another window uses them: they belong to the hidden engine form and
// outlive every window, so a window fills them, moves their check marks and shows them as popups,
// and a choice runs the menu's own handler (which calls that window back through its commands).
//
// An entry is named as the menus name it ("chan", "mnuMain") and, for an element of an array, by
// its index (kNoIndex for a plain entry). A name or element that does not exist reads as "" and
// unchecked, and writing to it changes nothing, so a window may touch entries it never created.
// UI thread only.
class PopupMenus
{
public:
    static constexpr int kNoIndex = -1;

    virtual ~PopupMenus() = default;

    // Shows the menu that the entry opens at `at` (screen coordinates) and returns at once.
    // `closed` runs once the menu has closed, after the handler of a choice made in it, if
    // `owner` still lives then: the menu outlives the window that showed it, which may be
    // closed and destroyed while the menu is open, so `closed` may use only what `owner` keeps
    // alive (the window itself, or one that owns it). False, and `closed` never runs, when the
    // entry does not exist or opens no menu.
    virtual bool popup(QStringView name,
        int index,
        QPoint at,
        const QObject& owner,
        std::function<void()> closed) = 0;

    virtual bool exists(QStringView name, int index) const = 0;

    virtual QString caption(QStringView name, int index) const = 0;
    virtual void setCaption(QStringView name, int index, const QString& caption) = 0;

    // The check mark changes only when a window sets it, never by the choice itself.
    virtual bool checked(QStringView name, int index) const = 0;
    virtual void setChecked(QStringView name, int index, bool checked) = 0;

    // A greyed entry shows but cannot be chosen; a hidden one is not in the menu.
    virtual void setAvailable(QStringView name, int index, bool available) = 0;
    virtual void setShown(QStringView name, int index, bool shown) = 0;

    // Grows the array `name` by element `index` (0 to 32767) with `caption`, in index order;
    // choosing it runs the array's handler. False, and nothing changes, when `name` is not an
    // array or the element is already there (the menus outlive the window that filled them).
    virtual bool load(QStringView name, int index, const QString& caption) = 0;
};
