#pragma once

#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "piano/PianoCore.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/WakeTimer.h"

#include <functional>
#include <memory>

// The piano's core loaded on a MIDI service of the platform's sound engine, whose device is
// paced by the wall clock (its sound handed to `sink`, or dropped), for the benches that time
// placed notes.
struct PacedPiano
{
    explicit PacedPiano(const std::function<std::unique_ptr<MidiOut>(AudioEngine&)>& makeMidi,
        OfflineAudioDevice::Sink sink = {})
    {
        fake.platform.midiOut = makeMidi(*fake.platform.audio);
        if (!sink)
            sink = [](const float*, int, std::int64_t) {};
        fake.audioDevice().setSink(std::move(sink));
        fake.audioDevice().startPaced();
        piano = std::make_unique<PianoCore>(
            *fake.platform.midiOut, popups, fake.boxes(), PianoView {}, makeQtWakeTimer());
        piano->load(parseInstrumentList({}));
    }

    ~PacedPiano() { fake.audioDevice().stopPaced(); }

    std::function<std::int64_t()> now()
    {
        return [this] {
            return fake.platform.audio->now();
        };
    }

    FakePlatform fake;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    std::unique_ptr<PianoCore> piano;
};
