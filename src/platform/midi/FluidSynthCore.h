#pragma once

#include "platform/midi/MidiSynth.h"

#include <array>
#include <memory>

class SoundFontBank;
struct _fluid_synth_t;
struct _fluid_hashtable_t;

// One FluidSynth instance at the engine's rate, playing the shared SoundFont. Made on the UI
// thread; after that only one thread at a time calls it (the audio callback once the source
// that owns it is mixed): FluidSynth's own locking is off, so nothing here can block.
class FluidSynthCore : public MidiSynth
{
public:
    // Null when FluidSynth cannot make a synth.
    static std::unique_ptr<FluidSynthCore> create(std::shared_ptr<SoundFontBank> bank);

    ~FluidSynthCore() override;
    FluidSynthCore(const FluidSynthCore&) = delete;
    FluidSynthCore& operator=(const FluidSynthCore&) = delete;

    void send(std::uint32_t message) override;
    void renderAdd(float* mix, int frames) override;
    void releaseAll() override;
    void reset() override;

    // Voices sounding now (notes still in their release included).
    int activeVoices() const;

private:
    FluidSynthCore() = default;

    // FluidSynth writes into this, then it is added to the mix: its write call overwrites.
    static constexpr int kScratchFrames = 256;

    std::shared_ptr<SoundFontBank> m_bank;
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    std::array<float, 2 * kScratchFrames> m_scratch {};
};
