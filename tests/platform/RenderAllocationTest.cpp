#include "AllocationCounter.h"
#include "SmfWriter.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/AudioEngine.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFilePlayer.h"
#include "platform/midi/MidiOut.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using AllocationCounter::Count;

constexpr int kBlock = 512;

// A device whose own thread renders block after block (faster than real time) with the
// allocation counter armed around each render call and nothing else, so that commands reach
// the engine the way they do on a sound card: inside the callback.
class ProbeDevice : public AudioDevice
{
public:
    ~ProbeDevice() override { stop(); }

    bool start(RenderFunction render) override
    {
        m_render = std::move(render);
        m_running = true;
        m_thread = std::thread([this] {
            loop();
        });
        return true;
    }

    void stop() override
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }

    bool silentFallback() const override { return false; }

    std::int64_t latencyFrames() const override { return 0; }

    int blockFrames() const override { return kBlock; }

    bool rendersOnOwnThread() const override { return m_running; }

    std::int64_t clockNanos() const override
    {
        return m_blocks.load() * kBlock * 1'000'000'000LL / AudioEngine::kSampleRate;
    }

    // Waits until at least `blocks` blocks have been rendered since the last take, and gives
    // what they allocated and how many there were.
    std::pair<Count, int> take(int blocks)
    {
        std::unique_lock lock(m_mutex);
        m_rendered.wait(lock, [&] {
            return m_takenBlocks >= blocks;
        });
        auto taken = std::make_pair(m_count, m_takenBlocks);
        m_count = Count {};
        m_takenBlocks = 0;
        return taken;
    }

private:
    void loop()
    {
        std::vector<float> out(2 * kBlock);
        while (m_running) {
            AllocationCounter::arm("libgomp");
            m_render(out.data(), kBlock);
            const Count count = AllocationCounter::disarm();
            {
                std::lock_guard lock(m_mutex);
                m_count += count;
                ++m_takenBlocks;
            }
            m_rendered.notify_all();
            m_blocks.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    }

    RenderFunction m_render;
    std::thread m_thread;
    std::atomic<bool> m_running { false };
    std::atomic<std::int64_t> m_blocks { 0 };
    std::mutex m_mutex;
    std::condition_variable m_rendered;
    Count m_count;
    int m_takenBlocks = 0;
};

std::shared_ptr<AudioClip> tone(int frames)
{
    auto clip = std::make_shared<AudioClip>();
    clip->samples.resize(std::size_t(2 * frames));
    for (std::size_t i = 0; i < clip->samples.size(); ++i)
        clip->samples[i] = 0.3f * float(std::sin(double(i / 2) * 0.05));
    return clip;
}

// A file with a note and a controller every 30 ticks: many events per block.
QString denseFile(const QTemporaryDir& dir)
{
    SmfWriter song(0, 480);
    song.track().event(0, { 0xC0, 19 });
    for (int i = 0; i < 200; ++i) {
        song.noteOn(i == 0 ? 0 : 30, 0, 40 + i % 30)
            .event(0, { 0xB0, 11, std::uint8_t(60 + i % 60) })
            .noteOff(0, 0, 40 + (i + 29) % 30);
    }
    song.end(480);
    const QString path = dir.filePath(QStringLiteral("dense.mid"));
    return song.save(path) ? path : QString();
}

TEST(RenderAllocationTest, TheCallbackAllocatesNothingOfOursWhateverTheProgramDoes)
{
    QTemporaryDir dir;
    const QString path = denseFile(dir);
    ASSERT_FALSE(path.isEmpty());
    const SoundFontSource fonts = sharedSoundFont();
    auto owned = std::make_unique<ProbeDevice>();
    ProbeDevice& device = *owned;
    AudioEngine engine(std::move(owned));
    auto midi = makeMidiOut(engine, fonts);
    SynthMidiFiles files(engine, fonts);
    auto player = files.newPlayer();
    MidiHandle synth = 0;

    struct Step
    {
        const char* what;
        std::function<void()> act;
        // Synths sounding, each allowed the library's one allocation per render call (see
        // FluidSynthCore): one call per block, and one more per 64-frame block of its own
        // where a placed message falls (at most `messageBlocks` in the step).
        int synths;
        int messageBlocks;
    };

    const Step steps[] = {
        { "the built-in synth and a file open, both silent",
            [&] {
                ASSERT_EQ(midi->open(synth, kMidiMapper), MidiResult::NoError);
                ASSERT_EQ(player->open(path), MidiFileError::None);
                device.take(8);
            },
            0, 0 },
        { "16 notes held on the built-in synth",
            [&] {
                midi->shortMsg(synth, midiMessage(0xC0, 19));
                for (int note = 48; note < 64; ++note)
                    midi->shortMsg(synth, midiMessage(0x90, note, 100));
                device.take(4);
            },
            1, 0 },
        { "the file playing under notes and clips placed ahead",
            [&] {
                player->play();
                for (int i = 0; i < 40; ++i) {
                    midi->shortMsgAt(
                        synth, midiMessage(0x90, 70 + i % 10, 90), engine.now() + 300 * i);
                    engine.playClip(tone(2000), engine.now() + 700 * i);
                }
            },
            2, 80 },
        { "a seek while playing, clips purged",
            [&] {
                player->seek(500);
                engine.purge();
            },
            2, 80 },
        { "the file paused, the notes let go",
            [&] {
                player->pause();
                midi->close(synth);
            },
            2, 80 },
        { "the file closed",
            [&] {
                player->close();
            },
            2, 0 },
        { "everything rung out",
            [&] {
                device.take(4 * AudioEngine::kSampleRate / kBlock);
            },
            0, 0 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const auto [count, blocks] = device.take(40);
        EXPECT_EQ(count.outsideLibrary(), 0) << count.describe();
        EXPECT_LE(count.inLibrary, step.synths * blocks + step.messageBlocks);
    }
}

// The probe itself: a source that allocates in its render is caught and shown.
TEST(RenderAllocationTest, AnAllocatingSourceIsCaught)
{
    class Allocating : public AudioSource
    {
    public:
        void render(float* mix, int, std::int64_t) override
        {
            auto* buffer = new std::vector<float>(64, 0.5f);
            mix[0] += (*buffer)[0];
            delete buffer;
        }
    } source;

    auto owned = std::make_unique<ProbeDevice>();
    ProbeDevice& device = *owned;
    AudioEngine engine(std::move(owned));
    engine.addSource(&source);
    device.take(1);
    const auto [count, blocks] = device.take(10);
    EXPECT_GE(count.outsideLibrary(), blocks);
    EXPECT_NE(count.describe().find("render_probe_tests"), std::string::npos) << count.describe();
    engine.removeSource(&source);
}

} // namespace
