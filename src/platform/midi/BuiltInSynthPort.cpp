#include "platform/midi/BuiltInSynthPort.h"

#include "platform/audio/AudioEngine.h"
#include "platform/midi/AlsaSequencerPorts.h"
#include "platform/midi/BuiltInSynth.h"
#include "platform/midi/FluidSynthCore.h"
#include "platform/midi/SoundFontBank.h"

#include <chrono>
#include <future>
#include <thread>

SoundFontLoad loadSoundFontInBackground()
{
    // The loading thread is left to itself (a future of std::async would make the program's end
    // wait for the load, seconds for a large font on a busy machine). The font is chosen here, so
    // that the thread runs nothing but the load; whoever holds the result last frees the font.
    auto result = std::make_shared<std::promise<std::shared_ptr<SoundFontBank>>>();
    std::shared_future<std::shared_ptr<SoundFontBank>> loading = result->get_future().share();
    std::thread([result, path = SoundFontBank::choose()] {
        result->set_value(SoundFontBank::load(path));
    }).detach();
    return { [loading]() {
                return loading.get();
            },
        [loading]() {
            return loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        } };
}

SoundFontSource sharedSoundFont()
{
    return loadSoundFontInBackground().fonts;
}

BuiltInSynthPort::BuiltInSynthPort(
    AudioEngine& engine, SoundFontSource fonts, SoundFontLoaded loaded)
    : m_engine(engine)
    , m_fonts(std::move(fonts))
    , m_loaded(std::move(loaded))
{}

BuiltInSynthPort::~BuiltInSynthPort()
{
    for (const auto* synth : { &m_synth, &m_previous }) {
        if (*synth)
            m_engine.removeSource(synth->get());
    }
}

MidiResult BuiltInSynthPort::open()
{
    if (m_played) {
        if (m_previous)
            m_engine.removeSource(m_previous.get());
        m_previous = std::move(m_synth);
        m_played = false;
    }
    if (!m_synth && m_loaded && !m_loaded())
        return MidiResult::NoError;
    return makeSynth();
}

MidiResult BuiltInSynthPort::makeSynth()
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
    if (!m_synth) {
        if (!m_loaded)
            return MidiResult::InvalidHandle;
        if (!m_loaded() || makeSynth() != MidiResult::NoError)
            return MidiResult::Error;
    }
    if (!m_synth->post(message, at.value_or(BuiltInSynth::kNow), handle))
        return MidiResult::NoMemory;
    m_played = true;
    return MidiResult::NoError;
}

void BuiltInSynthPort::purge(MidiHandle handle)
{
    if (m_synth)
        m_synth->purge(handle);
}

MidiDeviceState BuiltInSynthPort::state() const
{
    // Without `loaded` the opening made the synth or failed itself.
    if (m_synth || !m_loaded)
        return MidiDeviceState::Ready;
    if (!m_loaded())
        return MidiDeviceState::Starting;
    return m_fonts() ? MidiDeviceState::Ready : MidiDeviceState::Failed;
}

std::unique_ptr<MidiOut> makeMidiOut(
    AudioEngine& engine, SoundFontSource fonts, SoundFontLoaded loaded)
{
    std::vector<std::unique_ptr<MidiPort>> ports;
    ports.push_back(
        std::make_unique<BuiltInSynthPort>(engine, std::move(fonts), std::move(loaded)));
    // Placed messages sound when their sample leaves the speakers, with the clicks on it.
    for (auto& port : AlsaSequencerPorts::find([&engine] {
             return engine.soundingSample();
         }))
        ports.push_back(std::move(port));
    return std::make_unique<MidiOut>(std::move(ports));
}
