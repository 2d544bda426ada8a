#include "platform/audio/SdlAudioDevice.h"

#include "EnvironmentOverride.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool clockReaches(const AudioEngine& engine, std::int64_t sample)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (engine.now() < sample && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return engine.now() >= sample;
}

} // namespace

TEST(SdlAudioDeviceTest, NoUsableDriverFallsBackToTheSilentPacedDevice)
{
    // SDL's own dummy driver counts as no output: its clock runs fast.
    for (const char* driver : { "dummy", "no-such-driver" }) {
        SCOPED_TRACE(driver);
        EnvironmentOverride override("SDL_AUDIODRIVER", driver);
        AudioEngine engine(std::make_unique<SdlAudioDevice>());
        EXPECT_TRUE(engine.silentFallback());
        EXPECT_NE(dynamic_cast<OfflineAudioDevice*>(&engine.device()), nullptr);
        EXPECT_TRUE(engine.device().rendersOnOwnThread());
        EXPECT_TRUE(clockReaches(engine, AudioEngine::kSampleRate / 10));
    }
}

TEST(SdlAudioDeviceTest, TheDiskDriverRecordsClipsOnTheirExactSamples)
{
    // SDL's disk driver writes every buffer to a file in order. Until the stream is unpaused SDL
    // writes whole blocks of silence without calling back, so the file may lead the engine's
    // clock by a few whole blocks; past that, frame for frame is sample for sample.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.raw"));
    EnvironmentOverride driver("SDL_AUDIODRIVER", "disk");
    EnvironmentOverride file("SDL_DISKAUDIOFILE", path.toStdString());

    auto first = std::make_shared<AudioClip>();
    auto second = std::make_shared<AudioClip>();
    for (int i = 0; i < 300; ++i) {
        first->samples.insert(first->samples.end(), { 0.5f, -0.25f });
        second->samples.insert(second->samples.end(), { -0.5f, 0.75f });
    }
    constexpr std::int64_t kApart = 1003;
    std::int64_t at = 0;
    std::int64_t block = 0;
    {
        auto device = std::make_unique<SdlAudioDevice>();
        SdlAudioDevice* sdl = device.get();
        AudioEngine engine(std::move(device));
        ASSERT_EQ(std::string(sdl->driverName()), "disk");
        EXPECT_FALSE(engine.silentFallback());
        block = sdl->blockFrames();
        ASSERT_TRUE(clockReaches(engine, 1000));
        // Odd samples a few blocks ahead, off the block edges.
        at = engine.now() + 3 * block + 77;
        engine.playClip(first, at);
        engine.playClip(second, at + kApart);
        ASSERT_TRUE(clockReaches(engine, at + kApart + 300 + 4 * block));
    }

    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    std::vector<float> out(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(out.data(), bytes.constData(), out.size() * sizeof(float));
    auto frame = [&](std::int64_t index) {
        return std::make_pair(out.at(static_cast<std::size_t>(index) * 2),
            out.at(static_cast<std::size_t>(index) * 2 + 1));
    };
    std::int64_t onset = -1;
    for (std::int64_t index = 0; index < static_cast<std::int64_t>(out.size() / 2); ++index) {
        if (frame(index) != std::make_pair(0.0f, 0.0f)) {
            onset = index;
            break;
        }
    }
    ASSERT_GE(onset, at);
    EXPECT_EQ((onset - at) % block, 0) << "the file leads by whole silent blocks only";
    EXPECT_EQ(frame(onset), std::make_pair(0.5f, -0.25f));
    EXPECT_EQ(frame(onset + 299), std::make_pair(0.5f, -0.25f));
    EXPECT_EQ(frame(onset + 300), std::make_pair(0.0f, 0.0f));
    EXPECT_EQ(frame(onset + kApart - 1), std::make_pair(0.0f, 0.0f));
    EXPECT_EQ(frame(onset + kApart), std::make_pair(-0.5f, 0.75f));
    EXPECT_EQ(frame(onset + kApart + 299), std::make_pair(-0.5f, 0.75f));
    EXPECT_EQ(frame(onset + kApart + 300), std::make_pair(0.0f, 0.0f));
}

TEST(SdlAudioDeviceTest, TheDiskDriverIsNeverTakenForLateAndKeepsItsBlock)
{
    // It writes a file: a render call held up 50 ms makes no sound late, so the timings that
    // rely on 256-frame blocks there keep them.
    class Stall : public AudioSource
    {
    public:
        void render(float*, int, std::int64_t firstSample) override
        {
            if (firstSample >= 2 * AudioEngine::kSampleRate && !m_done) {
                m_done = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }

    private:
        bool m_done = false;
    };

    QTemporaryDir dir;
    EnvironmentOverride driver("SDL_AUDIODRIVER", "disk");
    EnvironmentOverride file(
        "SDL_DISKAUDIOFILE", dir.filePath(QStringLiteral("out.raw")).toStdString());
    AudioEngine engine(std::make_unique<SdlAudioDevice>());
    ASSERT_FALSE(engine.silentFallback());
    Stall stall;
    engine.addSource(&stall);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (std::chrono::steady_clock::now() < until) {
        EXPECT_FALSE(engine.checkDevice());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(engine.now(), 3 * AudioEngine::kSampleRate);
    engine.removeSource(&stall);
    EXPECT_EQ(engine.lateBlocks(), 0);
    EXPECT_EQ(engine.blockGrowths(), 0);
    EXPECT_EQ(engine.blockFrames(), SdlAudioDevice::kRequestedBlockFrames);
}
