// The engine's outputs replaced while it plays, through the opener's thread: a larger block for an
// output that falls behind, the lost output's kind again while the silent fallback plays. Offline
// devices stand in for the outputs, rendered by hand, so every sample can be checked.
#include "platform/audio/OutputOpener.h"

#include "EnvironmentOverride.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/PulseAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::shared_ptr<const AudioClip> clipOf(float level)
{
    auto clip = std::make_shared<AudioClip>();
    clip->samples.assign(2 * 10, level);
    return clip;
}

// Renders a constant and counts the blocks whose first sample does not follow the last one's.
class TimelineSource : public AudioSource
{
public:
    void render(float* mix, int frames, std::int64_t firstSample) override
    {
        for (int i = 0; i < frames * 2; ++i)
            mix[i] += 0.125f;
        if (m_next >= 0 && firstSample != m_next)
            gaps.fetch_add(1);
        m_next = firstSample + frames;
    }

    std::atomic<int> gaps { 0 };

private:
    std::int64_t m_next = -1;
};

// Calls checkDevice() as the program's poll does until it reports a change (false: none came).
bool changes(AudioEngine& engine, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (engine.checkDevice())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

OfflineAudioDevice& deviceOf(AudioEngine& engine)
{
    return dynamic_cast<OfflineAudioDevice&>(engine.device());
}

// The engine on an offline output of 256-frame blocks, the timeline source in its mix and 1000
// frames rendered. The source leaves the mix before it goes, having seen no gap on the timeline.
class OutputOpenerTest : public ::testing::Test
{
protected:
    OutputOpenerTest()
    {
        engine.addSource(&source);
        output->renderFrames(1000);
    }

    void TearDown() override
    {
        engine.removeSource(&source);
        EXPECT_EQ(source.gaps.load(), 0);
    }

    std::unique_ptr<OfflineAudioDevice> owned = std::make_unique<OfflineAudioDevice>(256);
    OfflineAudioDevice* output = owned.get();
    AudioEngine engine { std::move(owned) };
    TimelineSource source;
};

} // namespace

TEST_F(OutputOpenerTest, AnOutputThatFallsBehindGrowsItsBlockTwiceAtMostOnOneTimeline)
{
    engine.playClip(clipOf(0.5f), 1500);
    engine.playClip(clipOf(-0.5f), 2500);

    // Growth by growth: the block doubles, the clock stands where the last output left it, and
    // the clips and the source carry on from there on the new output.
    struct Step
    {
        std::int64_t late;
        int block;
    };

    std::int64_t rendered = 1000;
    for (const Step step : { Step { 1, 512 }, Step { 3, 1024 } }) {
        SCOPED_TRACE(step.block);
        deviceOf(engine).setLateBlocks(step.late);
        ASSERT_TRUE(changes(engine, std::chrono::seconds(5)));
        EXPECT_EQ(engine.blockFrames(), step.block);
        EXPECT_EQ(deviceOf(engine).blockFrames(), step.block);
        EXPECT_FALSE(engine.silentFallback());
        EXPECT_EQ(engine.now(), rendered);
        deviceOf(engine).renderFrames(1000);
        rendered += 1000;
    }
    EXPECT_EQ(engine.blockGrowths(), 2);
    EXPECT_EQ(engine.lateBlocks(), 4);
    // The clips sounded on their samples, one on each of the grown outputs.
    const auto starts = engine.takeClipStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].sample, 1500);
    EXPECT_EQ(starts[1].sample, 2500);
    EXPECT_EQ(deviceOf(engine).captured().at(2 * (2500 - 2000)), -0.5f + 0.125f);
    EXPECT_EQ(deviceOf(engine).captured().at(2 * (2500 - 2000) - 2), 0.125f);

    // Never past the largest block, and never more than twice a run.
    deviceOf(engine).setLateBlocks(5);
    EXPECT_FALSE(changes(engine, std::chrono::milliseconds(300)));
    EXPECT_EQ(engine.blockFrames(), AudioEngine::kLargestBlockFrames);
    EXPECT_EQ(engine.lateBlocks(), 9);
}

TEST_F(OutputOpenerTest, ALostOutputIsTriedAgainUntilItOpensAndTheTimelineCarriesOn)
{
    OfflineAudioDevice* lost = output;
    lost->setLost(true);
    lost->setFailStart(true);
    ASSERT_TRUE(engine.checkDevice());
    ASSERT_TRUE(engine.silentFallback());
    // The fallback keeps the clock; a clip placed now sounds once the output is back.
    const std::int64_t due = engine.now() + 10 * AudioEngine::kSampleRate;
    engine.playClip(clipOf(0.5f), due);

    // Tried every two seconds, in vain while the output does not open.
    EXPECT_FALSE(changes(engine, OutputOpener::kRetryInterval + std::chrono::milliseconds(500)));
    EXPECT_TRUE(engine.silentFallback());

    lost->setFailStart(false);
    const auto freed = Clock::now();
    ASSERT_TRUE(changes(engine, OutputOpener::kRetryInterval + std::chrono::seconds(1)));
    EXPECT_LE(Clock::now() - freed, OutputOpener::kRetryInterval + std::chrono::milliseconds(500));
    EXPECT_FALSE(engine.silentFallback());
    EXPECT_EQ(engine.outputReturns(), 1);
    EXPECT_EQ(engine.blockGrowths(), 0);
    OfflineAudioDevice& back = deviceOf(engine);
    EXPECT_NE(&back, lost);
    EXPECT_EQ(back.blockFrames(), 256);
    EXPECT_FALSE(back.rendersOnOwnThread()) << "rendered as the lost one was: by hand";

    const std::int64_t returned = engine.now();
    ASSERT_LT(returned, due);
    back.renderFrames(due - returned + 100);
    const auto starts = engine.takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].sample, due);
    EXPECT_EQ(back.captured().at(2 * (due - returned)), 0.5f + 0.125f);
}

namespace {

// An output through a sound server that may be gone (then it does not open), naming another
// kind to try instead: an offline device of 1024-frame blocks, while `otherWorks`.
class ServerOutput : public OfflineAudioDevice
{
public:
    struct World
    {
        std::atomic<bool> serverUp { true };
        std::atomic<bool> otherWorks { true };
    };

    explicit ServerOutput(std::shared_ptr<World> world)
        : OfflineAudioDevice(256)
        , m_world(std::move(world))
    {}

    bool open() override { return m_world->serverUp.load() && OfflineAudioDevice::open(); }

    std::unique_ptr<AudioDevice> another(int) const override
    {
        return std::make_unique<ServerOutput>(m_world);
    }

    std::unique_ptr<AudioDevice> instead() const override
    {
        auto other = std::make_unique<OfflineAudioDevice>(1024);
        other->setFailStart(!m_world->otherWorks.load());
        return other;
    }

private:
    std::shared_ptr<World> m_world;
};

} // namespace

TEST(OutputOpenerOtherKindTest, AnOutputWhoseServerIsGoneGivesWayToTheOtherKindAndIsTriedFirstAgain)
{
    auto world = std::make_shared<ServerOutput::World>();

    // No server at the start: the other kind plays.
    world->serverUp = false;
    {
        AudioEngine engine(std::make_unique<ServerOutput>(world));
        EXPECT_FALSE(engine.silentFallback());
        EXPECT_EQ(engine.blockFrames(), 1024);
        EXPECT_EQ(dynamic_cast<ServerOutput*>(&engine.device()), nullptr);
    }

    // Lost with its server while neither opens: the fallback, then the retries. With both there
    // again the server's kind is taken; with the server still gone, the other kind.
    struct Case
    {
        const char* name;
        bool serverBack;
        int block;
    };

    for (const Case c :
        { Case { "server back", true, 256 }, Case { "server gone", false, 1024 } }) {
        SCOPED_TRACE(c.name);
        world->serverUp = true;
        world->otherWorks = true;
        AudioEngine engine(std::make_unique<ServerOutput>(world));
        ASSERT_EQ(engine.blockFrames(), 256);
        deviceOf(engine).renderFrames(1000);
        world->serverUp = false;
        world->otherWorks = false;
        deviceOf(engine).setLost(true);
        ASSERT_TRUE(engine.checkDevice());
        ASSERT_TRUE(engine.silentFallback());
        EXPECT_FALSE(
            changes(engine, OutputOpener::kRetryInterval + std::chrono::milliseconds(300)));

        world->serverUp = c.serverBack;
        world->otherWorks = true;
        ASSERT_TRUE(changes(engine, OutputOpener::kRetryInterval + std::chrono::seconds(1)));
        EXPECT_FALSE(engine.silentFallback());
        EXPECT_EQ(engine.outputReturns(), 1);
        EXPECT_EQ(engine.blockFrames(), c.block);
        EXPECT_EQ(dynamic_cast<ServerOutput*>(&engine.device()) != nullptr, c.serverBack);
        EXPECT_GE(engine.now(), 1000);
    }
}

namespace {

// Everything written on the process's standard error (fd 2, also by C libraries) from its making
// until text(), which puts the old standard error back.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
        : m_saved(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        std::FILE* file = std::tmpfile();
        m_file = file;
        if (m_file)
            dup2(fileno(m_file), STDERR_FILENO);
    }

    ~StandardErrorCapture() { text(); }

    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string text()
    {
        if (!m_file)
            return m_text;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        std::rewind(m_file);
        char buffer[4096];
        for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
            m_text.append(buffer, read);
        std::fclose(m_file);
        m_file = nullptr;
        return m_text;
    }

    bool capturing() const { return m_file != nullptr; }

private:
    int m_saved;
    std::FILE* m_file = nullptr;
    std::string m_text;
};

} // namespace

// With no sound server and no sound card the output is looked for at the start and then again
// every kRetryInterval, each time through SDL's drivers, whose ALSA driver probes the cards. A
// terminal the program runs in must not fill with ALSA's lines about it while nothing changes.
TEST(OutputOpenerRetryTest, RetriesWithNoServerWriteNothingOfAlsaOnStandardError)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile config(folder.filePath(QStringLiteral("client.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("autospawn = no\n");
    config.close();
    const EnvironmentOverride server(
        "PULSE_SERVER", "unix:" + folder.filePath(QStringLiteral("none")).toStdString());
    const EnvironmentOverride client("PULSE_CLIENTCONFIG", config.fileName().toStdString());
    // Empty: SDL's own order of drivers, ALSA's among them, as in the program.
    const EnvironmentOverride driver("SDL_AUDIODRIVER", "");

    std::atomic<int> probes { 0 };
    auto sdl = std::make_shared<SdlAudioSubsystem>();
    StandardErrorCapture captured;
    ASSERT_TRUE(captured.capturing());
    bool silent = false;
    {
        AudioEngine engine(std::make_unique<PulseAudioDevice>([&]() {
            probes.fetch_add(1);
            return std::make_unique<SdlAudioDevice>(sdl);
        }));
        silent = engine.silentFallback();
        // The try at the start and two retries.
        const auto deadline = Clock::now() + 3 * OutputOpener::kRetryInterval;
        while (silent && probes.load() < 3 && Clock::now() < deadline) {
            engine.checkDevice();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const std::string text = captured.text();
    if (!silent)
        GTEST_SKIP() << "an output opened here with no sound server";
    EXPECT_GE(probes.load(), 3);
    EXPECT_EQ(text.find("ALSA lib"), std::string::npos) << text;
}
