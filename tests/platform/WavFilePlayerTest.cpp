#include "platform/audio/WavFilePlayer.h"

#include "FileBytes.h"
#include "WavBytes.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace wavbytes;

namespace {

constexpr std::int64_t kLatency = 256;

// A paced engine (the waits need a clock that runs on its own) with a WAV file of `frames`
// frames of a steady level.
struct Fixture
{
    explicit Fixture(std::int64_t frames)
    {
        auto owned = std::make_unique<OfflineAudioDevice>(64, kLatency);
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
        device->startPaced();

        Bytes pcm;
        for (std::int64_t i = 0; i < frames; ++i)
            put16(pcm, 8192);
        const Bytes file = wavFile(1, 44100, 16, pcm);
        path = dir.filePath(QStringLiteral("sound.wav"));
        EXPECT_TRUE(writeFileBytes(path, file));
    }

    ~Fixture() { device->stopPaced(); }

    QTemporaryDir dir;
    QString path;
    OfflineAudioDevice* device;
    std::unique_ptr<AudioEngine> engine;
};

} // namespace

TEST(WavFilePlayerTest, WaitingPlayReturnsOnceTheFileHasBeenHeard)
{
    Fixture fixture(4410);
    WavFilePlayer player(*fixture.engine);
    const std::int64_t before = fixture.engine->now();
    ASSERT_TRUE(player.playAndWait(fixture.path));
    const std::int64_t after = fixture.engine->now();

    const auto starts = fixture.engine->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_GE(starts[0].sample, before);
    EXPECT_GE(after, starts[0].sample + 4410 + kLatency);
}

TEST(WavFilePlayerTest, WaitingPlayEndsEarlyWhenTheSoundIsPurged)
{
    Fixture fixture(44100 * 5);
    WavFilePlayer player(*fixture.engine);
    std::int64_t startedAt = -1;
    // The purge comes from the event loop the wait keeps running, a tenth of a second into the
    // sound.
    QTimer purger;
    QObject::connect(&purger, &QTimer::timeout, [&] {
        const auto starts = fixture.engine->takeClipStarts();
        if (!starts.empty())
            startedAt = starts.front().sample;
        if (startedAt >= 0 && fixture.engine->now() > startedAt + 4410) {
            fixture.engine->purge();
            purger.stop();
        }
    });
    purger.start(2);
    ASSERT_TRUE(player.playAndWait(fixture.path));
    ASSERT_GE(startedAt, 0);
    EXPECT_LT(fixture.engine->now(), startedAt + 44100 * 4);
}

TEST(WavFilePlayerTest, UnreadableFilesPlayNothing)
{
    Fixture fixture(100);
    WavFilePlayer player(*fixture.engine);
    EXPECT_FALSE(player.play(fixture.dir.filePath(QStringLiteral("missing.wav"))));
    EXPECT_FALSE(player.playAndWait(fixture.dir.filePath(QStringLiteral("missing.wav"))));
    ASSERT_TRUE(writeFileBytes(fixture.path, "RIFF....WAVEjunk"));
    EXPECT_FALSE(player.play(fixture.path));
    EXPECT_TRUE(fixture.engine->takeClipStarts().empty());
}

// Every waiting play holds input, whoever calls it: a click, a key and a wheel sent while the
// sound plays reach no widget (not even later), a close asked for meanwhile waits for the end,
// and once the play returns input reaches the widgets again.
TEST(WavFilePlayerTest, WhileAWaitingPlaySoundsNoInputReachesAWidgetAndACloseWaits)
{
    Fixture fixture(44100 / 2);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton(QStringLiteral("Play"));
    auto* field = new QLineEdit;
    layout->addWidget(button);
    layout->addWidget(field);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] {
        ++clicks;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    bool sent = false;
    bool closedMeanwhile = true;
    QTimer::singleShot(20, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("abc"));
        QTest::keyClick(button, Qt::Key_Space);
        window.close();
        closedMeanwhile = !window.isVisible();
        sent = true;
    });
    WavFilePlayer player(*fixture.engine);
    ASSERT_TRUE(player.playAndWait(fixture.path));
    ASSERT_TRUE(sent);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(field->text(), QString());
    EXPECT_FALSE(closedMeanwhile);
    EXPECT_FALSE(window.isVisible());

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClicks(field, QStringLiteral("abc"));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
}
