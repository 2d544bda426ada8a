#include "platform/midi/BuiltInSynthPort.h"

#include "platform/audio/AudioEngine.h"
#include "platform/midi/AlsaSequencerPorts.h"
#include "platform/midi/BuiltInSynth.h"
#include "platform/midi/FluidSynthCore.h"
#include "platform/midi/SoundFontBank.h"

#include <future>

SoundFontSource sharedSoundFont()
{
    std::shared_future<std::shared_ptr<SoundFontBank>> loading = std::async(std::launch::async, [] {
        return SoundFontBank::load(SoundFontBank::choose());
    });
    return [loading]() {
        return loading.get();
    };
}

BuiltInSynthPort::BuiltInSynthPort(AudioEngine& engine, SoundFontSource fonts)
    : m_engine(engine)
    , m_fonts(std::move(fonts))
{}

BuiltInSynthPort::~BuiltInSynthPort()
{
    if (m_synth)
        m_engine.removeSource(m_synth.get());
}

MidiResult BuiltInSynthPort::open()
{
    if (!m_synth) {
        auto core = FluidSynthCore::create(m_fonts(), m_engine.blockFrames());
        if (!core)
            return MidiResult::Error;
        m_synth = std::make_unique<BuiltInSynth>(std::move(core));
        m_engine.addSource(m_synth.get());
    }
    return MidiResult::NoError;
}

MidiResult BuiltInSynthPort::send(
    std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle)
{
    if (!m_synth)
        return MidiResult::InvalidHandle;
    return m_synth->post(message, at.value_or(BuiltInSynth::kNow), handle) ? MidiResult::NoError
                                                                           : MidiResult::NoMemory;
}

void BuiltInSynthPort::purge(MidiHandle handle)
{
    if (m_synth)
        m_synth->purge(handle);
}

std::unique_ptr<MidiOut> makeMidiOut(AudioEngine& engine, SoundFontSource fonts)
{
    std::vector<std::unique_ptr<MidiPort>> ports;
    ports.push_back(std::make_unique<BuiltInSynthPort>(engine, std::move(fonts)));
    // Placed messages sound when their sample leaves the speakers, with the clicks on it.
    for (auto& port : AlsaSequencerPorts::find([&engine] {
             return engine.soundingSample();
         }))
        ports.push_back(std::move(port));
    return std::make_unique<MidiOut>(std::move(ports));
}
