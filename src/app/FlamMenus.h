#pragma once

#include "app/MenuEntry.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QString>
#include <QStringView>

class MainWindowCommands;
class PianoCommands;
class QMenu;

// Where the menu handlers send the user's choices. Each accessor is asked at the moment of the
// choice, so that a window can be created on its first use; an empty accessor or a null window
// drops the choice.
struct FlamMenuTargets
{
    std::function<MainWindowCommands*()> mainWindow;
    std::function<PianoCommands*()> piano;
    std::function<void()> showAbout; // the about box, modal, no owner
};

// Every menu of the application. They belong to no window: the main window, the piano window
// and the drum-pad window show them as popup menus at the mouse position (menu(...)->popup() or
// exec()), and a choice runs the entry's handler here, which calls the main window or the piano
// window through FlamMenuTargets.
//
// Top-level menus: "mnupitch00", "mnubeat00", "mnupoly00", "mnurazno", "mnuflam", "mnuOptions"
// and the array "mnuMain" (0 piano instruments, 1 drum sounds, 2 accompaniment styles).
// Every entry is reached by name, and by index for an element of an array (entry(u"mstop"),
// entry(u"mnuBeat", 3)); a top-level menu or a submenu is an entry too, whose caption is the
// menu's title. UI thread only.
class FlamMenus
{
public:
    FlamMenus();
    ~FlamMenus();
    FlamMenus(const FlamMenus&) = delete;
    FlamMenus& operator=(const FlamMenus&) = delete;

    void setTargets(FlamMenuTargets targets);

    // Null when there is no such entry (or no such element of the array).
    MenuEntry* entry(QStringView name, int index = MenuEntry::kNoIndex) const;
    // The menu that the entry opens, for showing it as a popup; null when it opens none.
    QMenu* menu(QStringView name, int index = MenuEntry::kNoIndex) const;

    // Grows the array `name` by element `index` (0 to 32767) with the given caption and the
    // default flags, placed among the array's elements by its index, and choosing it runs the
    // array's handler. Null, and nothing changes, when `name` is not an array or the element
    // is already there.
    MenuEntry* load(QStringView name, int index, const QString& caption);

    // The elements of an array in index order; empty for a name that is not an array.
    std::vector<MenuEntry*> elements(QStringView name) const;

private:
    struct Named
    {
        bool isArray = false;
        QMenu* holder = nullptr; // the menu that lists the elements of a growable array
        std::map<int, std::unique_ptr<MenuEntry>> byIndex;
    };

    void build();
    MenuEntry* add(const QString& name, int index, QAction* action);
    void bindHandlers();
    void onChosen(QStringView name, std::function<void(int index)> handler);
    MainWindowCommands* mainWindow() const;
    PianoCommands* piano() const;

    void mnuPiano2_Click(int Index);
    void chan_Click(int Index);
    void mnudrum_Click(int Index);
    void mnuBeat2_Click(int Index);

    FlamMenuTargets m_targets;
    std::map<QString, Named> m_named;
    std::map<QString, std::function<void(int)>> m_handlers;
    // Declared last so that the menus, and with them the actions that call into the entries,
    // go first.
    std::vector<std::unique_ptr<QMenu>> m_topMenus;
};
