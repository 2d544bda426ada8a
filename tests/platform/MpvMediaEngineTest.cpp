#include "platform/media/MpvMediaEngine.h"

#include "TestMedia.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The RMS of the test tone (amplitude 0.25 of full scale) as 16-bit samples.
const double kToneRms = 0.25 * 32767.0 / std::sqrt(2.0);

class MpvMediaEngineTest : public ::testing::Test
{
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // An engine whose sound goes, as fast as mpv can decode, into a raw file of 16-bit stereo
    // samples at 44100 Hz, which the test reads back once the graph is gone.
    MpvMediaEngine capturing(const QString& rawPath) const
    {
        MpvMediaEngine::Options options;
        options.audioOutput = QStringLiteral("pcm");
        options.videoOutput = QStringLiteral("null");
        options.extraOptions = {
            { "ao-pcm-file", rawPath },
            { "ao-pcm-waveheader", "no" },
            { "audio-format", "s16" },
            { "audio-channels", "stereo" },
            { "audio-samplerate", "44100" },
        };
        return MpvMediaEngine(options);
    }

    static MpvMediaEngine silent()
    {
        MpvMediaEngine::Options options;
        options.audioOutput = QStringLiteral("null");
        options.videoOutput = QStringLiteral("null");
        return MpvMediaEngine(options);
    }

    static bool playToEnd(MediaGraph& graph)
    {
        graph.run();
        return QTest::qWaitFor(
            [&] {
                return graph.position() == graph.duration();
            },
            10000);
    }

    // Plays `file` to its end through a capturing engine after `prepare`; the captured samples.
    std::vector<std::int16_t> capture(
        const QString& file, const std::function<void(MediaGraph&)>& prepare)
    {
        const QString raw = path("capture.raw");
        QFile::remove(raw);
        {
            MpvMediaEngine engine = capturing(raw);
            auto graph = engine.createGraph();
            if (!graph->renderFile(file))
                return {};
            prepare(*graph);
            if (!playToEnd(*graph))
                return {};
        }
        return readStereo16(raw);
    }

    QTemporaryDir dir;
};

TEST_F(MpvMediaEngineTest, BalanceAndVolumeShapeTheChannelsThatComeOut)
{
    ASSERT_TRUE(writeToneWav(path("tone.wav"), 1.0));

    struct Case
    {
        int balance;
        int volume;
        double left; // expected share of the tone's level
        double right;
    };

    const Case cases[] = {
        { 0, 0, 1.0, 1.0 },
        { -10000, 0, 1.0, 0.0 },
        { 10000, 0, 0.0, 1.0 },
        { -600, 0, 1.0, 0.501 },
        { 2000, 0, 0.1, 1.0 },
        { 0, -2000, 0.1, 0.1 },
        { 0, -600, 0.501, 0.501 },
        { 0, -10000, 0.0, 0.0 },
        { -10000, -600, 0.501, 0.0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "balance " << c.balance << " volume " << c.volume);
        const auto samples = capture(path("tone.wav"), [&](MediaGraph& graph) {
            graph.setBalance(c.balance);
            graph.setVolume(c.volume);
            EXPECT_EQ(graph.balance(), c.balance);
            EXPECT_EQ(graph.volume(), c.volume);
        });
        // The whole second came out.
        ASSERT_GE(samples.size(), std::size_t { 2 * 44100 * 95 / 100 });
        EXPECT_NEAR(channelRms(samples, 0), c.left * kToneRms, 0.01 * kToneRms + 1.0);
        EXPECT_NEAR(channelRms(samples, 1), c.right * kToneRms, 0.01 * kToneRms + 1.0);
    }
}

TEST_F(MpvMediaEngineTest, AMonoSourceIsBalancedToo)
{
    ASSERT_TRUE(writeToneWav(path("mono.wav"), 1.0, 22050, 1));
    const auto samples = capture(path("mono.wav"), [](MediaGraph& graph) {
        graph.setBalance(-10000);
    });
    ASSERT_FALSE(samples.empty());
    EXPECT_GT(channelRms(samples, 0), 0.5 * kToneRms);
    EXPECT_LT(channelRms(samples, 1), 1.0);
}

TEST_F(MpvMediaEngineTest, AnMp3DecodesAndEndsAtItsDuration)
{
    ASSERT_TRUE(writeToneMp3(path("tone.mp3"), 1.0));
    const QString raw = path("mp3.raw");
    {
        MpvMediaEngine engine = capturing(raw);
        auto graph = engine.createGraph();
        ASSERT_TRUE(graph->renderFile(path("tone.mp3")));
        EXPECT_TRUE(graph->hasAudio());
        EXPECT_FALSE(graph->hasVideo());
        EXPECT_NEAR(graph->duration(), 1.0, 0.1);
        ASSERT_TRUE(playToEnd(*graph));
        EXPECT_EQ(graph->state(), MediaGraph::State::Running);
    }
    const auto samples = readStereo16(raw);
    EXPECT_GT(samples.size(), std::size_t { 2 * 44100 * 9 / 10 });
    EXPECT_NEAR(channelRms(samples, 0), kToneRms, 0.1 * kToneRms);
}

TEST_F(MpvMediaEngineTest, AVideoSeeksExactlyAndKeepsItsState)
{
    ASSERT_TRUE(writeY4m(path("film.y4m"), 64, 48, 30, 10));
    MpvMediaEngine engine = silent();
    auto graph = engine.createGraph();
    ASSERT_TRUE(graph->renderFile(path("film.y4m")));
    EXPECT_TRUE(graph->hasVideo());
    EXPECT_FALSE(graph->hasAudio());
    EXPECT_EQ(graph->videoSize(), QSize(64, 48));
    EXPECT_DOUBLE_EQ(graph->duration(), 3.0);

    graph->seek(1.5);
    EXPECT_NEAR(graph->position(), 1.5, 1e-9);
    EXPECT_EQ(graph->state(), MediaGraph::State::Stopped);
    QTest::qWait(100);
    EXPECT_NEAR(graph->position(), 1.5, 0.1) << "a stopped video stays where it was put";

    graph->run();
    graph->seek(0.5);
    EXPECT_EQ(graph->state(), MediaGraph::State::Running);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return graph->position() > 0.8;
        },
        3000))
        << "a playing video plays on after a seek";
}

TEST_F(MpvMediaEngineTest, WhatCannotBePlayedRendersNothing)
{
    QFile text(path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a sound\n");
    text.close();
    const QString names[] = { QString(), path("missing.wav"), path("notes.txt"), dir.path(),
        QStringLiteral("http://localhost:9/x.wav") };
    MpvMediaEngine engine = silent();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        auto graph = engine.createGraph();
        EXPECT_FALSE(graph->renderFile(name));
        EXPECT_FALSE(graph->hasAudio());
        EXPECT_FALSE(graph->hasVideo());
        graph->run();
        graph->seek(3);
        graph->setVolume(-100);
        EXPECT_EQ(graph->state(), MediaGraph::State::Stopped);
        EXPECT_EQ(graph->duration(), 0.0);
        EXPECT_EQ(graph->position(), 0.0);
        EXPECT_EQ(graph->volume(), 0);
    }
}

TEST_F(MpvMediaEngineTest, AUsersMpvConfigurationChangesNothing)
{
    ASSERT_TRUE(writeToneWav(path("tone.wav"), 1.0));
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("mpv")));
    QFile conf(home.filePath(QStringLiteral("mpv/mpv.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("speed=2\nvolume=10\nmute=yes\naf=lavfi=[pan=stereo|c0=0*c0|c1=0*c1]\n");
    conf.close();
    const QByteArray oldMpvHome = qgetenv("MPV_HOME");
    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("MPV_HOME", QFile::encodeName(home.filePath(QStringLiteral("mpv"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));

    double rate = 0.0;
    const auto samples = capture(path("tone.wav"), [&](MediaGraph& graph) {
        rate = graph.rate();
    });

    qputenv("MPV_HOME", oldMpvHome);
    qputenv("XDG_CONFIG_HOME", oldConfigHome);
    EXPECT_EQ(rate, 1.0);
    EXPECT_NEAR(channelRms(samples, 0), kToneRms, 0.01 * kToneRms);
    EXPECT_NEAR(channelRms(samples, 1), kToneRms, 0.01 * kToneRms);
}

} // namespace
