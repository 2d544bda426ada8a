#include "app/FlamMenus.h"

#include "windows/MainWindowCommands.h"
#include "windows/PianoCommands.h"

#include <QAction>
#include <QMenu>

namespace {

enum Flag : unsigned { kChecked = 1, kUnavailable = 2, kHidden = 4 };

// The menus as a tree in order: level 0 is a top-level menu, level 1 an entry of the last
// top-level menu, level 2 an entry of the last level-1 entry, which thereby opens a submenu.
struct Item
{
    int level;
    const char* name;
    int index;
    const char* caption;
    unsigned flags = 0;
};

constexpr int N = MenuEntry::kNoIndex;
constexpr int kMaxIndex = 32767; // array indexes are 16-bit

const Item kItems[] = {
    { 0, "mnupitch00", N, "Pitch" },
    { 1, "mnupitch", 0, "440 Hz" },
    { 1, "mnupitch", 1, "&Custom..." },
    { 1, "mnupitch", 2, "D3" },
    { 1, "mnupitch", 3, "E3" },
    { 1, "mnupitch", 4, "G3" },
    { 1, "mnupitch", 5, "A3" },
    { 1, "mnupitch", 6, "D4" },
    { 1, "mnupitch", 7, "G4" },
    { 1, "mnupitch", 8, "A4" },
    { 1, "mnupitch", 9, "B4/H4" },
    { 1, "mnupitch", 10, "E5" },
    { 1, "mnupitch", 11, "-" },
    { 1, "mnupitch", 12, "&STOP Tuner" },

    { 0, "mnubeat00", N, "Beat" },
    { 1, "mnuBeat", 0, "&1" },
    { 1, "mnuBeat", 1, "&2" },
    { 1, "mnuBeat", 2, "&3" },
    { 1, "mnuBeat", 3, "&4", kChecked },
    { 1, "mnuBeat", 4, "&5" },
    { 1, "mnuBeat", 5, "&6" },
    { 1, "mnuBeat", 6, "-" },
    { 1, "mnuBeat", 7, "&Metronome Sound..." },

    { 0, "mnupoly00", N, "Poly" },
    { 1, "mnupoly", 2, "Example &1" },
    { 1, "mnupoly", 3, "Example &2" },
    { 1, "mnupoly", 4, "Example &3" },
    { 1, "mnupoly", 5, "Example &4" },
    { 1, "mnupoly", 6, "Example &5" },
    { 1, "mnupoly", 7, "-" },
    { 1, "mnupoly", 8, "&STOP" },

    { 0, "mnurazno", N, "Razno" },
    { 1, "mnuPiano", N, "MIDI &Piano..." },
    { 1, "mnurec", N, "Sound &Recoreder.." },
    { 1, "mnump3", N, "MP3 &Encoder..." },
    { 1, "eryrt", N, "-" },
    { 1, "mnumisc", N, "Set &Misc Rhythm..." },
    { 1, "mnupattr", N, "Set Pa&ttern Rhythm..." },
    { 1, "dsgds", N, "-" },
    { 1, "mnucust", N, "Set &Custom Tempo..." },
    { 1, "mstop", N, "&Start Metronome", kUnavailable },
    { 1, "mnuset", N, "Metr&onome Sound..." },
    { 1, "gsrujy", N, "-" },
    { 1, "mnuhelp", N, "&Help..." },
    { 1, "vhbg", N, "-" },
    { 1, "mnuabout", N, "&About..." },
    { 1, "fdhfgh", N, "-" },
    { 1, "mnuexit", N, "E&xit" },

    { 0, "mnuflam", N, "Flam" },
    { 1, "mnumiscf", N, "Set &Misc Rhythm..." },
    { 1, "mnupattrf", N, "Set Pa&ttern Rhythm..." },

    { 0, "mnuOptions", N, "Options" },
    { 1, "midi_devices", N, "Midi Devices" },
    { 2, "device", 0, "" },
    { 2, "device", 1, "", kHidden },
    { 2, "device", 2, "", kHidden },
    { 2, "device", 3, "", kHidden },
    { 2, "device", 4, "", kHidden },
    { 2, "device", 5, "", kHidden },
    { 2, "device", 6, "", kHidden },
    { 2, "device", 7, "", kHidden },
    { 2, "device", 8, "", kHidden },
    { 2, "device", 9, "", kHidden },
    { 2, "device", 10, "", kHidden },
    { 1, "mnuselec", N, "Select Channel" },
    { 2, "chan", 0, "Midi" },
    { 2, "chan", 1, "2", kHidden },
    { 2, "chan", 2, "3", kHidden },
    { 2, "chan", 3, "4", kHidden },
    { 2, "chan", 4, "5", kHidden },
    { 2, "chan", 5, "6", kHidden },
    { 2, "chan", 6, "7", kHidden },
    { 2, "chan", 7, "8", kHidden },
    { 2, "chan", 8, "9", kHidden },
    { 2, "chan", 9, "Drum" },
    { 2, "chan", 10, "11", kHidden },
    { 2, "chan", 11, "12", kHidden },
    { 2, "chan", 12, "13", kHidden },
    { 2, "chan", 13, "14", kHidden },
    { 2, "chan", 14, "15", kHidden },
    { 2, "chan", 15, "16", kHidden },
    { 1, "base", N, "Change Base" },
    { 1, "mnudrumk", N, "Assign Drum Keys" },

    { 0, "mnuMain", 0, "Piano" },
    { 1, "mnuPiano2", 0, "Piano" },
    { 0, "mnuMain", 1, "Drum" },
    { 1, "mnudrum", 0, "Drum" },
    { 0, "mnuMain", 2, "Beat" },
    { 1, "mnuBeat2", 0, "Beat" },
};

constexpr int kDrumChannel = 9;

} // namespace

FlamMenus::FlamMenus()
{
    build();
    bindHandlers();
}

FlamMenus::~FlamMenus() = default;

void FlamMenus::setTargets(FlamMenuTargets targets)
{
    m_targets = std::move(targets);
}

void FlamMenus::build()
{
    QMenu* open[4] = {}; // the menu each level adds to
    const std::size_t count = std::size(kItems);
    for (std::size_t i = 0; i < count; ++i) {
        const Item& item = kItems[i];
        const QString caption = QString::fromLatin1(item.caption);
        const bool opensMenu =
            item.level == 0 || (i + 1 < count && kItems[i + 1].level > item.level);
        QAction* action = nullptr;
        if (item.level == 0) {
            m_topMenus.push_back(std::make_unique<QMenu>(caption));
            open[1] = m_topMenus.back().get();
            action = open[1]->menuAction();
        } else if (opensMenu) {
            open[item.level + 1] = open[item.level]->addMenu(caption);
            action = open[item.level + 1]->menuAction();
        } else {
            action = open[item.level]->addAction(caption);
        }
        MenuEntry* added = add(QString::fromLatin1(item.name), item.index, action);
        if (item.index != N && !opensMenu)
            m_named[added->name()].holder = open[item.level];
        added->setChecked(item.flags & kChecked);
        added->setAvailable(!(item.flags & kUnavailable));
        added->setShown(!(item.flags & kHidden));
    }
}

MenuEntry* FlamMenus::add(const QString& name, int index, QAction* action)
{
    Named& named = m_named[name];
    named.isArray = index != N;
    auto made = std::make_unique<MenuEntry>(name, index, action);
    MenuEntry* added = made.get();
    named.byIndex[index] = std::move(made);
    added->setCaption(action->text());
    if (const auto handler = m_handlers.find(name); handler != m_handlers.end())
        added->setHandler(handler->second);
    return added;
}

MenuEntry* FlamMenus::entry(QStringView name, int index) const
{
    const auto named = m_named.find(name.toString());
    if (named == m_named.end())
        return nullptr;
    const auto found = named->second.byIndex.find(index);
    return found == named->second.byIndex.end() ? nullptr : found->second.get();
}

QMenu* FlamMenus::menu(QStringView name, int index) const
{
    const MenuEntry* found = entry(name, index);
    return found ? found->submenu() : nullptr;
}

MenuEntry* FlamMenus::load(QStringView name, int index, const QString& caption)
{
    const auto named = m_named.find(name.toString());
    if (named == m_named.end() || !named->second.holder || index < 0 || index > kMaxIndex
        || named->second.byIndex.contains(index))
        return nullptr;
    QMenu* holder = named->second.holder;
    const auto& elements = named->second.byIndex;

    // Elements stay together and in index order: before the next higher element, or right
    // after the highest one, ahead of whatever entries follow the array in its menu.
    QAction* before = nullptr;
    if (const auto higher = elements.upper_bound(index); higher != elements.end()) {
        before = higher->second->action();
    } else {
        const QList<QAction*> actions = holder->actions();
        const qsizetype last = actions.indexOf(elements.rbegin()->second->action());
        if (last + 1 < actions.size())
            before = actions[last + 1];
    }
    auto* action = new QAction(caption, holder);
    holder->insertAction(before, action);
    return add(named->first, index, action);
}

std::vector<MenuEntry*> FlamMenus::elements(QStringView name) const
{
    std::vector<MenuEntry*> found;
    const auto named = m_named.find(name.toString());
    if (named != m_named.end() && named->second.isArray) {
        for (const auto& [index, element] : named->second.byIndex)
            found.push_back(element.get());
    }
    return found;
}

MainWindowCommands* FlamMenus::mainWindow() const
{
    return m_targets.mainWindow ? m_targets.mainWindow() : nullptr;
}

PianoCommands* FlamMenus::piano() const
{
    return m_targets.piano ? m_targets.piano() : nullptr;
}

void FlamMenus::onChosen(QStringView name, std::function<void(int index)> handler)
{
    const QString key = name.toString();
    for (MenuEntry* element : elements(name))
        element->setHandler(handler);
    if (MenuEntry* single = entry(name))
        single->setHandler(handler);
    m_handlers[key] = std::move(handler);
}

void FlamMenus::bindHandlers()
{
    using Main = MainWindowCommands;
    const auto toMain = [this](QStringView name, void (Main::*call)()) {
        onChosen(name, [this, call](int) {
            if (Main* window = mainWindow())
                (window->*call)();
        });
    };
    const auto toMainIndexed = [this](QStringView name, void (Main::*call)(int)) {
        onChosen(name, [this, call](int index) {
            if (Main* window = mainWindow())
                (window->*call)(index);
        });
    };
    toMainIndexed(u"mnupitch", &Main::Picka);
    toMainIndexed(u"mnuBeat", &Main::Bitovi);
    toMainIndexed(u"mnupoly", &Main::Primeri);
    toMain(u"mnuPiano", &Main::raz1);
    toMain(u"mnurec", &Main::raz2);
    toMain(u"mnump3", &Main::raz3);
    toMain(u"mnumisc", &Main::raz4);
    toMain(u"mnupattr", &Main::raz5);
    toMain(u"mnucust", &Main::raz6);
    toMain(u"mstop", &Main::raz7);
    toMain(u"mnuset", &Main::raz8);
    toMain(u"mnuhelp", &Main::raz10);
    toMain(u"mnuexit", &Main::raz11);
    toMain(u"mnumiscf", &Main::fla1);
    toMain(u"mnupattrf", &Main::fla2);
    onChosen(u"mnuabout", [this](int) {
        if (m_targets.showAbout)
            m_targets.showAbout();
    });

    onChosen(u"device", [this](int index) {
        if (PianoCommands* window = piano())
            window->Uredjaj(index);
    });
    onChosen(u"base", [this](int) {
        if (PianoCommands* window = piano())
            window->Baza();
    });
    onChosen(u"mnudrumk", [this](int) {
        if (PianoCommands* window = piano())
            window->showFrmDrums();
    });
    onChosen(u"chan", [this](int index) {
        chan_Click(index);
    });
    onChosen(u"mnuPiano2", [this](int index) {
        mnuPiano2_Click(index);
    });
    onChosen(u"mnudrum", [this](int index) {
        mnudrum_Click(index);
    });
    onChosen(u"mnuBeat2", [this](int index) {
        mnuBeat2_Click(index);
    });
}

void FlamMenus::chan_Click(int Index)
{
    PianoCommands* window = piano();
    if (!window)
        return;
    window->Kanal(Index);
    if (Index == kDrumChannel) {
        window->setCombo1Text(QStringLiteral("Normal"));
        window->setPratnjaAvailable(false);
    }
}

void FlamMenus::mnuPiano2_Click(int Index)
{
    PianoCommands* window = piano();
    if (!window)
        return;
    for (MenuEntry* element : elements(u"mnuPiano2"))
        element->setChecked(false);
    window->Pianino(Index);
    if (MenuEntry* chosen = entry(u"mnuPiano2", Index)) {
        chosen->setChecked(true);
        window->setLblInstCaption(chosen->caption());
    }
}

void FlamMenus::mnudrum_Click(int Index)
{
    if (PianoCommands* window = piano()) {
        window->mnDrum(Index);
        window->focusPicPozadina();
    }
}

void FlamMenus::mnuBeat2_Click(int Index)
{
    PianoCommands* window = piano();
    if (!window)
        return;
    window->mnBeat(Index);
    if (const MenuEntry* chosen = entry(u"mnuBeat2", Index))
        window->setLabel10Caption(chosen->caption());
}
