#pragma once

#include <functional>

#include <QString>

class QAction;
class QMenu;

// One entry of the application's menus: a name, an index when it is an element of an array, a
// caption ("-" makes a separator line, "&" marks the access key) and the flags checked, available
// (a greyed entry cannot be chosen) and shown (a hidden entry is not in the menu).
//
// The flags live here and the QAction only mirrors them, because the QAction's own flags do not
// mean the same: a checkable QAction toggles itself when chosen, before anyone sees the choice,
// and a hidden QAction reports itself as disabled. Here the check mark changes only when code
// sets it; an unchecked entry has a non-checkable action, so that no style draws an empty box.
class MenuEntry
{
public:
    static constexpr int kNoIndex = -1;

    MenuEntry(QString name, int index, QAction* action);

    const QString& name() const { return m_name; }

    int index() const { return m_index; }

    QAction* action() const { return m_action; }

    // The submenu this entry opens, or null.
    QMenu* submenu() const;

    QString caption() const;
    void setCaption(const QString& caption);

    bool checked() const { return m_checked; }

    void setChecked(bool checked);

    bool available() const { return m_available; }

    void setAvailable(bool available);

    bool shown() const { return m_shown; }

    void setShown(bool shown);

    // Runs when the user chooses the entry, with the entry's index; the action's self-toggle of
    // its check mark is undone before the handler runs. A greyed or hidden entry runs nothing.
    void setHandler(std::function<void(int index)> handler);

private:
    void mirrorCheck();

    QString m_name;
    QString m_caption;
    int m_index;
    QAction* m_action;
    bool m_checked = false;
    bool m_available = true;
    bool m_shown = true;
    std::function<void(int)> m_handler;
};
