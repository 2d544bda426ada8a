#pragma once

#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "piano/PianoCore.h"
#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/FakeWakeClock.h"
#include "platform/midi/FakeMidiOut.h"

// A piano with the real menus on the fake platform, and the virtual sound clock (starting at
// sample 1000) whose wake-ups what plays through it runs on.
struct PianoOnFakes
{
    FakePlatform fake;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    FakeWakeClock deviceWatch; // the recording devices are ready at once: nothing arms it
    PianoCore piano { *fake.platform.midiOut, popups, fake.boxes(), {}, deviceWatch.make() };
    FakeWakeClock time { 1000 };
};
