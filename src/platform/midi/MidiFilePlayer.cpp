#include "platform/midi/MidiFilePlayer.h"

#include "platform/audio/AudioEngine.h"
#include "platform/midi/FluidSynthCore.h"
#include "platform/midi/MidiFileSequencer.h"

#include <cmath>

namespace {

std::int64_t toMs(std::int64_t samples)
{
    return std::llround(samples * 1000.0 / AudioEngine::kSampleRate);
}

} // namespace

SynthMidiFiles::SynthMidiFiles(AudioEngine& engine, SoundFontSource fonts)
    : m_engine(engine)
    , m_fonts(std::move(fonts))
{}

std::unique_ptr<MidiFilePlayer> SynthMidiFiles::newPlayer()
{
    return std::make_unique<SynthMidiFilePlayer>(m_engine, m_fonts);
}

SynthMidiFilePlayer::SynthMidiFilePlayer(AudioEngine& engine, SoundFontSource fonts)
    : m_engine(engine)
    , m_fonts(std::move(fonts))
{}

SynthMidiFilePlayer::~SynthMidiFilePlayer()
{
    close();
}

MidiFileError SynthMidiFilePlayer::open(const QString& path)
{
    close();
    auto sequence = std::make_shared<MidiSequence>();
    const MidiFileError error = MidiFile::read(path, *sequence);
    if (error != MidiFileError::None)
        return error;
    if (!m_sequencer) {
        auto synth = FluidSynthCore::create(m_fonts(), m_engine.blockFrames());
        if (!synth)
            return MidiFileError::NoSynth;
        m_sequencer = std::make_unique<MidiFileSequencer>(std::move(synth));
        m_sequencer->setLevel(m_volume, m_balance);
        m_sequencer->setSpeed(m_speed);
    }
    m_sequencer->load(std::move(sequence));
    m_engine.addSource(m_sequencer.get());
    m_open = true;
    return MidiFileError::None;
}

void SynthMidiFilePlayer::close()
{
    if (!m_open)
        return;
    m_engine.removeSource(m_sequencer.get());
    m_open = false;
}

bool SynthMidiFilePlayer::play()
{
    if (!m_open)
        return false;
    m_sequencer->play();
    return true;
}

void SynthMidiFilePlayer::pause()
{
    if (m_open)
        m_sequencer->pause();
}

void SynthMidiFilePlayer::seek(std::int64_t ms)
{
    if (m_open)
        m_sequencer->seek(ms * AudioEngine::kSampleRate / 1000);
}

void SynthMidiFilePlayer::setLevel(int volume, int balance)
{
    m_volume = volume;
    m_balance = balance;
    if (m_sequencer)
        m_sequencer->setLevel(volume, balance);
}

void SynthMidiFilePlayer::setSpeed(double speed)
{
    m_speed = speed;
    if (m_sequencer)
        m_sequencer->setSpeed(speed);
}

bool SynthMidiFilePlayer::isPlaying() const
{
    return m_open && m_sequencer->playing();
}

std::int64_t SynthMidiFilePlayer::lengthMs() const
{
    return m_open ? toMs(m_sequencer->length()) : 0;
}

std::int64_t SynthMidiFilePlayer::positionMs() const
{
    return m_open ? toMs(m_sequencer->position()) : 0;
}
