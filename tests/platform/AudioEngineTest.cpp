#include "platform/audio/AudioEngine.h"

#include "platform/FakePlatform.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

// A clip of `frames` frames holding `left` and `right` in every frame: where it sounds is then
// plain to see in the rendered output, and two clips on different channels can be told apart.
std::shared_ptr<const AudioClip> constantClip(std::int64_t frames, float left, float right)
{
    auto clip = std::make_shared<AudioClip>();
    clip->samples.resize(static_cast<std::size_t>(frames) * 2);
    for (std::int64_t i = 0; i < frames; ++i) {
        clip->samples[i * 2] = left;
        clip->samples[i * 2 + 1] = right;
    }
    return clip;
}

float left(const std::vector<float>& out, std::int64_t frame)
{
    return out.at(static_cast<std::size_t>(frame) * 2);
}

float right(const std::vector<float>& out, std::int64_t frame)
{
    return out.at(static_cast<std::size_t>(frame) * 2 + 1);
}

struct OfflineEngine
{
    explicit OfflineEngine(int blockFrames = 512, std::int64_t latency = 0)
    {
        auto owned = std::make_unique<OfflineAudioDevice>(blockFrames, latency);
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
    }

    OfflineAudioDevice* device;
    std::unique_ptr<AudioEngine> engine;
};

// Adds a constant to every frame and notes the blocks it was asked for.
class RecordingSource : public AudioSource
{
public:
    void render(float* mix, int frames, std::int64_t firstSample) override
    {
        for (int i = 0; i < frames * 2; ++i)
            mix[i] += 0.125f;
        if (expectedFirst >= 0 && firstSample != expectedFirst)
            gaps.fetch_add(1);
        expectedFirst = firstSample + frames;
        blocks.fetch_add(1);
    }

    std::atomic<int> blocks { 0 };
    std::atomic<int> gaps { 0 };
    std::int64_t expectedFirst = -1;
};

// Waits for a device thread to get somewhere: true once `done` holds, false after ten seconds.
template <typename Done> bool waitUntil(Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

TEST(AudioEngineTest, QueuedClipsStartOnTheirExactSamplesWhateverTheBlockSize)
{
    // Onsets inside blocks, on block edges and one sample either side of them.
    const std::vector<std::int64_t> onsets { 0, 511, 512, 513, 1500, 2047, 2048, 4000 };
    for (int blockFrames : { 512, 441, 64, 7, 1 }) {
        SCOPED_TRACE(blockFrames);
        OfflineEngine fixture(blockFrames);
        std::vector<std::shared_ptr<const AudioClip>> clips;
        for (std::size_t i = 0; i < onsets.size(); ++i) {
            clips.push_back(constantClip(300, 0.1f * static_cast<float>(i + 1), 0.0f));
            fixture.engine->playClip(clips.back(), onsets[i]);
        }
        fixture.device->renderFrames(5000);
        const auto& out = fixture.device->captured();
        ASSERT_EQ(out.size(), 10000u);

        const auto starts = fixture.engine->takeClipStarts();
        ASSERT_EQ(starts.size(), onsets.size());
        for (std::size_t i = 0; i < onsets.size(); ++i) {
            SCOPED_TRACE(onsets[i]);
            EXPECT_EQ(starts[i].clip, clips[i].get());
            EXPECT_EQ(starts[i].sample, onsets[i]);
            // The new clip's full level sounds from its own sample on (the cut one only fades).
            EXPECT_GE(left(out, onsets[i]), 0.1f * static_cast<float>(i + 1) - 1e-6f);
            if (onsets[i] > 0 && (i == 0 || onsets[i - 1] + 300 <= onsets[i])) {
                EXPECT_EQ(left(out, onsets[i] - 1), 0.0f);
            }
        }
        // The last clip ends exactly after its 300 frames.
        EXPECT_EQ(left(out, 4299), 0.8f);
        EXPECT_EQ(left(out, 4300), 0.0f);
    }
}

TEST(AudioEngineTest, NewClipCutsTheSoundingOneWithARampAndStartsOnItsSample)
{
    OfflineEngine fixture(100);
    auto longClip = constantClip(44100, 0.5f, 0.0f); // left channel only
    auto shortClip = constantClip(1000, 0.0f, 0.25f); // right channel only
    const auto longTicket = fixture.engine->playClip(longClip, 10);
    fixture.engine->playClip(shortClip, 1234);
    fixture.device->renderFrames(3000);
    const auto& out = fixture.device->captured();

    EXPECT_EQ(left(out, 9), 0.0f);
    EXPECT_EQ(left(out, 10), 0.5f);
    EXPECT_EQ(left(out, 1233), 0.5f);
    EXPECT_EQ(right(out, 1233), 0.0f);
    EXPECT_EQ(right(out, 1234), 0.25f);
    EXPECT_EQ(right(out, 2233), 0.25f);
    EXPECT_EQ(right(out, 2234), 0.0f);

    // The cut clip falls strictly from its sample on and is silent after the ramp.
    float previous = 0.5f;
    for (int i = 0; i < AudioEngine::kCutRampFrames; ++i) {
        SCOPED_TRACE(i);
        const float level = left(out, 1234 + i);
        EXPECT_LT(level, previous);
        EXPECT_GT(level, 0.0f);
        previous = level;
    }
    EXPECT_LT(left(out, 1234 + AudioEngine::kCutRampFrames - 1), 0.5f / 32);
    EXPECT_EQ(left(out, 1234 + AudioEngine::kCutRampFrames), 0.0f);
    EXPECT_TRUE(fixture.engine->clipFinished(longTicket));
}

TEST(AudioEngineTest, CutsCloserThanTheRampStillStartEveryClipOnItsSample)
{
    OfflineEngine fixture(32);
    std::vector<std::shared_ptr<const AudioClip>> clips;
    for (int i = 0; i < 10; ++i) {
        clips.push_back(constantClip(500, 0.05f, 0.0f));
        fixture.engine->playClip(clips.back(), 100 + i * 10);
    }
    fixture.device->renderFrames(2000);
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(starts[i].sample, 100 + i * 10);
    // Fades overlap but never add up past the levels involved; the last clip ends on time.
    const auto& out = fixture.device->captured();
    for (int frame = 0; frame < 2000; ++frame)
        ASSERT_LE(left(out, frame), 0.05f * 5 + 1e-6f) << frame;
    EXPECT_EQ(left(out, 100 + 90 + 499), 0.05f);
    EXPECT_EQ(left(out, 100 + 90 + 500), 0.0f);
}

TEST(AudioEngineTest, ClipsPlacedOutOfOrderPlayInSampleOrder)
{
    OfflineEngine fixture;
    auto late = constantClip(100, 0.3f, 0.0f);
    auto early = constantClip(2000, 0.0f, 0.6f);
    fixture.engine->playClip(late, 3000);
    fixture.engine->playClip(early, 2000);
    fixture.device->renderFrames(4000);
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].clip, early.get());
    EXPECT_EQ(starts[0].sample, 2000);
    EXPECT_EQ(starts[1].clip, late.get());
    EXPECT_EQ(starts[1].sample, 3000);
    const auto& out = fixture.device->captured();
    EXPECT_EQ(right(out, 2999), 0.6f);
    EXPECT_LT(right(out, 3000), 0.6f);
    EXPECT_EQ(right(out, 3000 + AudioEngine::kCutRampFrames), 0.0f);
}

TEST(AudioEngineTest, AClipPlacedInThePastStartsAtTheNextBlock)
{
    OfflineEngine fixture(256);
    fixture.device->renderFrames(1000);
    ASSERT_EQ(fixture.engine->now(), 1000);
    auto clip = constantClip(10, 0.5f, 0.5f);
    fixture.engine->playClip(clip, 400);
    fixture.engine->playClip(nullptr, 1000);
    fixture.device->renderFrames(1000);
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].sample, 1000);
    EXPECT_EQ(left(fixture.device->captured(), 1000), 0.5f);
}

TEST(AudioEngineTest, PurgeSilencesTheSoundingClipAndDropsThePendingOnes)
{
    OfflineEngine fixture(128);
    auto sounding = constantClip(10000, 0.5f, 0.5f);
    auto pending = constantClip(100, 0.9f, 0.9f);
    const auto soundingTicket = fixture.engine->playClip(sounding, 100);
    const auto pendingTicket = fixture.engine->playClip(pending, 3000);
    fixture.device->renderFrames(1024);
    EXPECT_FALSE(fixture.engine->clipFinished(soundingTicket));

    fixture.engine->purge();
    fixture.device->renderFrames(4000);
    const auto& out = fixture.device->captured();
    EXPECT_EQ(left(out, 1023), 0.5f);
    EXPECT_LT(left(out, 1024), 0.5f);
    for (std::int64_t frame = 1024 + AudioEngine::kCutRampFrames; frame < 5024; ++frame)
        ASSERT_EQ(left(out, frame), 0.0f) << frame;
    EXPECT_EQ(fixture.engine->takeClipStarts().size(), 1u);
    EXPECT_TRUE(fixture.engine->clipFinished(soundingTicket));
    EXPECT_TRUE(fixture.engine->clipFinished(pendingTicket));

    // The voice works again after a purge.
    fixture.engine->playClip(pending, 6000);
    fixture.device->renderFrames(2000);
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].sample, 6000);
}

TEST(AudioEngineTest, PurgeAlsoDropsClipsStillWaitingForRoomInTheQueue)
{
    OfflineEngine fixture;
    auto clip = constantClip(10, 0.5f, 0.5f);
    // More than the command queue holds while nothing renders: most wait on the UI side.
    for (int i = 0; i < 6000; ++i)
        fixture.engine->playClip(clip, 100 + i);
    fixture.engine->purge();
    fixture.engine->playClip(clip, 5000);
    // The clip placed after the purge reaches the queue once it has room, at the next UI call.
    fixture.device->renderFrames(1000);
    fixture.engine->releaseFinishedClips();
    fixture.device->renderFrames(5000);
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].sample, 5000);
    fixture.engine->releaseFinishedClips();
    EXPECT_EQ(clip.use_count(), 1);
}

TEST(AudioEngineTest, ClipsDroppedWhileRemoveSourceWaitsAllComeBack)
{
    // removeSource() feeds the commands waiting on this side to the callback until its own is
    // applied. Beyond the 256 clips that may wait for their sample, each is dropped there, far
    // more than the return queue holds: each must still come back finished and be released.
    OfflineEngine fixture;
    RecordingSource source;
    auto clip = constantClip(10, 0.5f, 0.5f);
    fixture.engine->addSource(&source);
    std::vector<std::uint64_t> tickets;
    for (int i = 0; i < 20000; ++i)
        tickets.push_back(fixture.engine->playClip(clip, 1000000));
    fixture.engine->removeSource(&source);
    fixture.device->renderFrames(512);
    fixture.engine->releaseFinishedClips();

    const auto waiting = std::count_if(tickets.begin(), tickets.end(), [&](std::uint64_t ticket) {
        return !fixture.engine->clipFinished(ticket);
    });
    EXPECT_EQ(waiting, 256);
    EXPECT_FALSE(fixture.engine->clipFinished(tickets[255]));
    EXPECT_TRUE(fixture.engine->clipFinished(tickets[256]));
    EXPECT_EQ(clip.use_count(), 1 + 256);
}

TEST(AudioEngineTest, SourcesAreMixedOnTheClockAndRampedOutWhenRemoved)
{
    // Blocks longer and shorter than the ramp: the fade carries over into the blocks after.
    for (const int block : { 100, 7 }) {
        SCOPED_TRACE(block);
        OfflineEngine fixture(block);
        RecordingSource source;
        auto clip = constantClip(50, 0.5f, 0.0f);
        fixture.device->renderFrames(250);
        fixture.engine->addSource(&source);
        fixture.engine->playClip(clip, 400);
        fixture.device->renderFrames(250);
        fixture.engine->removeSource(&source);
        const int blocksWhenRemoved = source.blocks.load();
        fixture.device->renderFrames(300);

        EXPECT_EQ(source.blocks.load(), blocksWhenRemoved) << "not rendered after the removal";
        EXPECT_EQ(source.gaps.load(), 0) << "its fade goes on from the sample where it stopped";
        const auto& out = fixture.device->captured();
        // Added between blocks: heard from the next block's first sample.
        EXPECT_EQ(left(out, 249), 0.0f);
        EXPECT_EQ(right(out, 250), 0.125f);
        EXPECT_EQ(left(out, 400), 0.625f); // the clip and the source add up
        EXPECT_EQ(right(out, 499), 0.125f);
        // Removed before sample 500: it falls over the ramp instead of stopping mid-wave.
        for (int i = 0; i < AudioEngine::kCutRampFrames; ++i) {
            SCOPED_TRACE(i);
            EXPECT_FLOAT_EQ(right(out, 500 + i), 0.125f * FadeTail::gain(FadeTail::kFrames - i));
        }
        EXPECT_EQ(right(out, 500 + AudioEngine::kCutRampFrames), 0.0f);
    }
}

TEST(AudioEngineTest, RemoveSourceWaitsForTheDeviceThread)
{
    OfflineEngine fixture(64);
    RecordingSource source;
    fixture.device->setCapture(false);
    fixture.device->startPaced();
    fixture.engine->addSource(&source);
    ASSERT_TRUE(waitUntil([&] {
        return source.blocks.load() >= 3;
    }));
    fixture.engine->removeSource(&source);
    const int blocksWhenRemoved = source.blocks.load();
    // A render in flight during removeSource would show as a later block.
    const std::int64_t until = fixture.engine->now() + 5 * 64;
    ASSERT_TRUE(waitUntil([&] {
        return fixture.engine->now() >= until;
    }));
    fixture.device->stopPaced();
    EXPECT_EQ(source.blocks.load(), blocksWhenRemoved);
    EXPECT_EQ(source.gaps.load(), 0);
}

TEST(AudioEngineTest, ClipsAreReleasedOnTheUiThreadOnly)
{
    OfflineEngine fixture(64);
    std::atomic<bool> released { false };
    std::thread::id releasedOn;
    {
        auto clip = std::shared_ptr<const AudioClip>(
            new AudioClip { std::vector<float>(200, 0.1f) }, [&](const AudioClip* gone) {
                releasedOn = std::this_thread::get_id();
                released = true;
                delete gone;
            });
        fixture.engine->playClip(clip, 0);
    }
    fixture.device->setCapture(false);
    fixture.device->startPaced();
    ASSERT_TRUE(waitUntil([&] {
        return fixture.engine->now() >= 2000;
    }));
    fixture.device->stopPaced();
    EXPECT_FALSE(released.load()) << "the device thread must never drop the last reference";
    fixture.engine->releaseFinishedClips();
    EXPECT_TRUE(released.load());
    EXPECT_EQ(releasedOn, std::this_thread::get_id());
}

TEST(AudioEngineTest, ClockAndSoundingSampleFollowTheRenderedBlocks)
{
    OfflineEngine fixture(300, 1000);
    EXPECT_EQ(fixture.engine->now(), 0);
    fixture.device->renderFrames(1000);
    EXPECT_EQ(fixture.engine->now(), 1000);
    // The device's virtual clock stands at the end of what it rendered; the speakers lag by the
    // latency.
    EXPECT_EQ(fixture.engine->soundingSample(), 0);
    fixture.device->renderFrames(44100 * 60 + 7);
    EXPECT_EQ(fixture.engine->now(), 44100 * 60 + 1007);
    EXPECT_EQ(fixture.engine->soundingSample(), 44100 * 60 + 7);
    EXPECT_EQ(fixture.engine->outputLatency(), 1000);
}

TEST(AudioEngineTest, AnEngineWhoseDeviceFailsRunsSilentlyInRealTime)
{
    auto failing = std::make_unique<OfflineAudioDevice>();
    failing->setFailStart(true);
    AudioEngine engine(std::move(failing));
    EXPECT_TRUE(engine.silentFallback());
    waitUntil([&] {
        return engine.now() >= 4410;
    });
    EXPECT_GE(engine.now(), 4410);
}

TEST(AudioEngineTest, ALostDeviceIsReplacedAndTheClockAndClipsCarryOn)
{
    OfflineEngine fixture(100);
    auto clip = constantClip(10, 0.5f, 0.5f);
    fixture.device->renderFrames(1000);
    fixture.engine->playClip(clip, 3000);
    EXPECT_FALSE(fixture.engine->checkDevice());

    fixture.device->setLost(true);
    fixture.device->setFailStart(true); // and it will not open again
    fixture.device->renderFrames(500);
    EXPECT_EQ(fixture.engine->now(), 1000) << "a lost device renders nothing";
    ASSERT_TRUE(fixture.engine->checkDevice());
    fixture.device = nullptr; // replaced by the paced fallback
    EXPECT_TRUE(fixture.engine->silentFallback());
    EXPECT_FALSE(fixture.engine->checkDevice());

    waitUntil([&] {
        return fixture.engine->now() >= 3100;
    });
    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].sample, 3000);
}

TEST(AudioEngineTest, FakePlatformRendersThroughItsOfflineDevice)
{
    FakePlatform fake;
    auto clip = constantClip(10, 0.25f, 0.25f);
    fake.platform.audio->playClip(clip, 700);
    fake.audioDevice().renderFrames(1024);
    EXPECT_EQ(left(fake.audioDevice().captured(), 699), 0.0f);
    EXPECT_EQ(left(fake.audioDevice().captured(), 700), 0.25f);
    EXPECT_FALSE(fake.platform.audio->silentFallback());
}
