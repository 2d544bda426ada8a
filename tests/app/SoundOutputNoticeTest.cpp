#include "app/SoundOutputNotice.h"

#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <chrono>
#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

namespace {

// The engine of `fake` on an output that `fail` (setSilent, setFailStart) made fail at start-up.
void startWithout(FakePlatform& fake, void (OfflineAudioDevice::*fail)(bool))
{
    auto device = std::make_unique<OfflineAudioDevice>();
    ((*device).*fail)(true);
    fake.platform.audio = std::make_unique<AudioEngine>(std::move(device));
}

} // namespace

TEST(SoundOutputNotice, NoOutputAtStartIsToldOnceInAnInformationBox)
{
    FakePlatform fake;
    startWithout(fake, &OfflineAudioDevice::setSilent);
    SoundOutputNotice notice(fake.platform);
    notice.checkAtStart();
    notice.poll();
    notice.checkAtStart();
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(fake.boxes().shown()[0].text.contains(QStringLiteral("runs without sound")));
}

TEST(SoundOutputNotice, AnOutputLostWhilePlayingIsReopenedOrToldOnce)
{
    FakePlatform fake;
    SoundOutputNotice notice(fake.platform);
    notice.checkAtStart();
    notice.poll();
    // Lost, and it opens again: the engine carries on with it and nobody is bothered.
    fake.audioDevice().setLost(true);
    notice.poll();
    EXPECT_FALSE(fake.audioDevice().lost());
    EXPECT_FALSE(fake.platform.audio->silentFallback());
    EXPECT_TRUE(fake.boxes().shown().empty());

    // Lost for good: the silent stand-in takes over, once said.
    fake.audioDevice().setLost(true);
    fake.audioDevice().setFailStart(true);
    notice.poll();
    EXPECT_TRUE(fake.platform.audio->silentFallback());
    notice.poll();
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_TRUE(fake.boxes().shown()[0].text.contains(QStringLiteral("stopped working")));
}

TEST(SoundOutputNotice, EachLossIsToldOnceAndTheSoundComesBackWithNothingDone)
{
    FakePlatform fake;
    OfflineAudioDevice& output = fake.audioDevice();
    SoundOutputNotice notice(fake.platform);
    notice.start();
    auto spinUntil = [](const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(6)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    };
    // Nothing to tell while the output works.
    spinUntil(
        [] {
            return false;
        },
        std::chrono::milliseconds(1200));
    EXPECT_TRUE(fake.boxes().shown().empty());

    // Lost, and it will not open for a while: told once, however long it lasts.
    output.setLost(true);
    output.setFailStart(true);
    ASSERT_TRUE(spinUntil([&] {
        return fake.platform.audio->silentFallback();
    }));
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].kind, BoxRequest::Kind::Notice);
    EXPECT_TRUE(fake.boxes().openNotice()) << "a notice waits for nobody";

    // It opens again: the engine takes it by itself, and nobody is bothered; the notice goes.
    output.setFailStart(false);
    ASSERT_TRUE(spinUntil([&] {
        return !fake.platform.audio->silentFallback();
    }));
    EXPECT_EQ(fake.platform.audio->outputReturns(), 1);
    EXPECT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_FALSE(fake.boxes().openNotice());
    EXPECT_EQ(fake.boxes().noticesClosed(), 1);

    // A second loss is a new one: told again, once.
    fake.audioDevice().setLost(true);
    fake.audioDevice().setFailStart(true);
    ASSERT_TRUE(spinUntil([&] {
        return fake.platform.audio->silentFallback();
    }));
    spinUntil(
        [] {
            return false;
        },
        std::chrono::milliseconds(1200));
    EXPECT_EQ(fake.boxes().shown().size(), 2u);
}

TEST(SoundOutputNotice, LooksOftenForAWaitingOutputOnlyWhileOneMayOpen)
{
    // Every timer that fires wakes the UI thread: counted as the event loop delivers them.
    struct TimerCount : QObject
    {
        int fired = 0;

        bool eventFilter(QObject*, QEvent* event) override
        {
            fired += event->type() == QEvent::Timer ? 1 : 0;
            return false;
        }
    } timers;

    auto spin = [&](std::chrono::milliseconds span) {
        timers.fired = 0;
        const auto deadline = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return timers.fired;
    };
    QCoreApplication::instance()->installEventFilter(&timers);

    // An output at the largest block grows no further, so nothing can open in the background:
    // only the poll of the output wakes the thread, once a second.
    FakePlatform fake;
    auto largest = std::make_unique<OfflineAudioDevice>(AudioEngine::kLargestBlockFrames);
    OfflineAudioDevice& output = *largest;
    fake.platform.audio = std::make_unique<AudioEngine>(std::move(largest));
    SoundOutputNotice notice(fake.platform);
    notice.start();
    spin(std::chrono::milliseconds(100));
    EXPECT_LE(spin(std::chrono::milliseconds(2100)), 3);

    // Lost for good: its kind is tried again in the background, and looked for often, so that it
    // is taken as soon as it opens.
    output.setLost(true);
    output.setFailStart(true);
    spin(std::chrono::milliseconds(1100));
    ASSERT_TRUE(fake.platform.audio->silentFallback());
    EXPECT_GE(spin(std::chrono::milliseconds(500)), 10);
    QCoreApplication::instance()->removeEventFilter(&timers);
}

TEST(SoundOutputNotice, TheBoxesSayTheSoundComesBackByItself)
{
    // At start-up with no output, and when the output is lost while playing.
    FakePlatform atStart;
    startWithout(atStart, &OfflineAudioDevice::setFailStart);
    SoundOutputNotice startNotice(atStart.platform);
    startNotice.checkAtStart();

    FakePlatform whilePlaying;
    SoundOutputNotice playNotice(whilePlaying.platform);
    whilePlaying.audioDevice().setLost(true);
    whilePlaying.audioDevice().setFailStart(true);
    playNotice.poll();

    for (FakePlatform* fake : { &atStart, &whilePlaying }) {
        ASSERT_EQ(fake->boxes().shown().size(), 1u);
        const QString& text = fake->boxes().shown()[0].text;
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.contains(QStringLiteral("comes back by itself")));
        EXPECT_FALSE(text.contains(QStringLiteral("start Kadentor again")));
        EXPECT_FALSE(text.contains(QStringLiteral("restart"), Qt::CaseInsensitive));
    }
}
