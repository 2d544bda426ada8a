#pragma once

#include "platform/midi/MidiSynth.h"

#include <memory>
#include <vector>

class SoundFontBank;
struct _fluid_synth_t;
struct _fluid_hashtable_t;

// One FluidSynth instance at the engine's rate, playing the shared SoundFont. Made on the UI
// thread; after that only one thread at a time calls it (the audio callback once the source
// that owns it is mixed): FluidSynth's own locking is off, so nothing here can block.
//
// Allocation: our side allocates nothing after create(). The library does, and it cannot be
// avoided: Debian's FluidSynth is built with OpenMP, and each of its render calls enters a
// parallel region for which libgomp allocates and frees a team of one thread (an aligned
// allocation and a free on the calling thread, taking the allocator's per-thread arena lock;
// measured with "synth.cpu-cores" 1, 2 and 4 and under OMP_NUM_THREADS, OMP_DYNAMIC and
// OMP_THREAD_LIMIT alike). So the render call is made as seldom as the sound allows: once per
// block for a sounding synth (once more for each of its 64-frame blocks where a placed message
// falls), never for a silent one with nothing due.
class FluidSynthCore : public MidiSynth
{
public:
    // Null when FluidSynth cannot make a synth. A render of up to `blockFrames` frames is one
    // call of the library (the device's block, as it opened); longer ones take more.
    static std::unique_ptr<FluidSynthCore> create(
        std::shared_ptr<SoundFontBank> bank, int blockFrames);

    ~FluidSynthCore() override;
    FluidSynthCore(const FluidSynthCore&) = delete;
    FluidSynthCore& operator=(const FluidSynthCore&) = delete;

    void send(std::uint32_t message) override;
    void renderAdd(float* mix, int frames) override;
    void releaseAll() override;
    void reset() override;

    bool silent() const override { return m_silent; }

    int framesBeforeMessage(int frames) const override;

    // Voices sounding now (notes still in their release included).
    int activeVoices() const;

private:
    FluidSynthCore() = default;

    // The library's own 0.2 leaves a piano note far below the clicks and the tone (middle C at
    // velocity 100 peaks near -32 dBFS). This is as loud as it can be while the loudest chord of
    // ten fingers and more, 16 white keys over two octaves at velocity 127 (at 0.2 up to -9.8
    // dBFS, from E5), stays below full scale: middle C at 100 then peaks near -23 dBFS.
    static constexpr double kGain = 0.55;
    // FluidSynth renders in blocks of this many frames and takes messages in between them.
    static constexpr int kLibraryBlock = 64;
    // The most blocks a reset waits for the stopped voices to go.
    static constexpr int kResetBlocks = 16;

    std::shared_ptr<SoundFontBank> m_bank;
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    // FluidSynth writes into this, then it is added to the mix: its write call overwrites.
    std::vector<float> m_scratch;
    // Frames written since the synth was made, modulo kLibraryBlock: where its block stands.
    int m_phase = 0;
    bool m_silent = true;
};
