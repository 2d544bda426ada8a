#include "app/frmfrekvencije.h"

#include "FileBytes.h"
#include "app/ToneWave.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/WavReader.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"

#include <algorithm>
#include <functional>

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<int>;

Bytes bytesOf(const QByteArray& data, qsizetype from, qsizetype count)
{
    Bytes out;
    for (qsizetype i = from; i < from + count && i < data.size(); ++i)
        out.push_back(static_cast<quint8>(data[i]));
    return out;
}

quint32 field32(const QByteArray& data, int at)
{
    return quint32(quint8(data[at])) | quint32(quint8(data[at + 1])) << 8
        | quint32(quint8(data[at + 2])) << 16 | quint32(quint8(data[at + 3])) << 24;
}

const QString kFrequencyMessage =
    QStringLiteral("Frequency out of range.\n\nFrekvencija je izvan opsega.");
const QString kTimeMessage =
    QStringLiteral("Time interval out of range.\n\nVremenski interval je izvan opsega.");

// The tone generator on the fake platform. While Play waits for its tone, a timer moves the
// engine's virtual clock on by a tenth of a second per turn of the wait's event loop, so a
// 20-second tone takes no 20 seconds; `duringTone` runs once on the first turn.
struct ToneRig
{
    ToneRig()
        : dialog(frmfrekvencije::load(fake.platform))
    {
        dialog.show();
        clock.setInterval(0);
        QObject::connect(&clock, &QTimer::timeout, [this] {
            fake.audioDevice().renderFrames(AudioEngine::kSampleRate / 10);
            if (duringTone)
                std::exchange(duringTone, {})();
        });
    }

    ~ToneRig() { frmfrekvencije::unload(); }

    void type(QLineEdit* field, const QString& text)
    {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(2, field->height() / 2));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    void play(const QString& frequency, const QString& seconds)
    {
        type(dialog.txtFreq, frequency);
        type(dialog.txtDuration, seconds);
        clock.start();
        QTest::mouseClick(dialog.Command3, Qt::LeftButton);
        clock.stop();
    }

    QByteArray testWav() const
    {
        return fileBytes(fake.platform.dataFileToWrite(QStringLiteral("test.wav")));
    }

    const std::vector<BoxRequest>& boxes() { return fake.boxes().shown(); }

    FakePlatform fake;
    frmfrekvencije& dialog;
    QTimer clock;
    std::function<void()> duringTone;
};

} // namespace

TEST(ToneWave, TheFileIsTheFixedFormatToTheByte)
{
    const QByteArray file = tonewave::fileBytes(0.5, 440);
    ASSERT_EQ(file.size(), 5544);
    EXPECT_EQ(file.left(4), QByteArray("RIFF"));
    EXPECT_EQ(field32(file, 4), 5536u);
    EXPECT_EQ(file.mid(20, 16).toHex(), QByteArray("01000100112b0000112b000001000800"));
    EXPECT_EQ(field32(file, 40), 5500u);
    const Bytes period { 158, 189, 214, 235, 248, 254, 252, 242, 224, 202, 175, 143, 112, 80, 53,
        30, 12, 2, 0, 6, 19, 40, 65, 96, 127 };
    EXPECT_EQ(bytesOf(file, 44, 25), period);
    EXPECT_EQ(bytesOf(file, 5544 - 25, 25), period);
}

TEST(ToneWave, PeriodsRoundHalvesToEvenAndOnlyWholePeriodsAreKept)
{
    struct Case
    {
        std::int16_t hertz;
        double seconds;
        int samplesPerPeriod;
        qsizetype dataBytes;
        Bytes firstPeriod; // empty: not checked
    };

    const Case cases[] = {
        // 11025 / 90 = 122.5 goes to 122; 20 s asks 220500 samples, 1807 periods keep 220454.
        { 90, 20, 122, 1807 * 122, {} },
        // An odd data chunk has no pad byte, and the RIFF size counts none.
        { 4200, 0.5, 3, 5511, { 237, 17, 127 } },
        // 16 samples a period put every other step on half a degree: 22.5 goes to 22, 67.5 to
        // 68, 337.5 to 338.
        { 689, 0.5, 16, 5504,
            { 175, 217, 245, 254, 245, 217, 175, 127, 80, 37, 9, 0, 9, 37, 79, 127 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hertz);
        EXPECT_EQ(tonewave::samplesPerPeriod(c.hertz), c.samplesPerPeriod);
        const QByteArray file = tonewave::fileBytes(c.seconds, c.hertz);
        ASSERT_EQ(file.size(), 44 + c.dataBytes);
        EXPECT_EQ(field32(file, 4), quint32(c.dataBytes + 36));
        EXPECT_EQ(field32(file, 40), quint32(c.dataBytes));
        if (!c.firstPeriod.empty()) {
            EXPECT_EQ(bytesOf(file, 44, c.samplesPerPeriod), c.firstPeriod);
        }
    }
    // Values no file can be made from.
    EXPECT_TRUE(tonewave::fileBytes(0.5, 0).isEmpty());
    EXPECT_TRUE(tonewave::fileBytes(0.5, -440).isEmpty());
    EXPECT_TRUE(tonewave::fileBytes(0.5, 30000).isEmpty());
    EXPECT_TRUE(tonewave::fileBytes(0, 440).isEmpty());
}

TEST(frmfrekvencije, PlayChecksBothFieldsBeforeItWritesAndARefusalKeepsTheLastTone)
{
    struct Case
    {
        const char* hertz;
        const char* seconds;
        QString message; // empty: accepted, written and played
        qsizetype fileBytes; // what test.wav holds afterwards
    };

    const Case cases[] = {
        { "440", "20", {}, 44 + 220500 },
        // A shorter tone leaves no tail of the longer one.
        { "440", "0.5", {}, 5544 },
        { "90", "0.5", {}, 44 + 45 * 122 },
        { "4200", "20", {}, 44 + 220500 },
        { "89", "0.5", kFrequencyMessage, 44 + 220500 },
        { "4201", "0.5", kFrequencyMessage, 44 + 220500 },
        { "", "0.5", kFrequencyMessage, 44 + 220500 },
        { "abc", "0.5", kFrequencyMessage, 44 + 220500 },
        { "1e9", "0.5", kFrequencyMessage, 44 + 220500 },
        { "440", "20.5", kTimeMessage, 44 + 220500 },
        { "440", "0.49", kTimeMessage, 44 + 220500 },
        // Both out of range: only the frequency is reported.
        { "89", "30", kFrequencyMessage, 44 + 220500 },
        // 440.5 Hz goes to 440.
        { "440.5", "0.5", {}, 5544 },
    };
    ToneRig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hertz) + " Hz, " + c.seconds + " s");
        rig.fake.boxes().clear();
        rig.fake.files().writes.clear();
        rig.fake.platform.audio->takeClipStarts();
        rig.play(QString::fromLatin1(c.hertz), QString::fromLatin1(c.seconds));
        const auto& boxes = rig.boxes();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(rig.fake.files().writes.size(), 1u);
            EXPECT_EQ(rig.fake.platform.audio->takeClipStarts().size(), 1u);
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.message);
            EXPECT_EQ(boxes[0].title, QStringLiteral("Frequencies"));
            EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
            EXPECT_TRUE(rig.fake.files().writes.empty());
            EXPECT_TRUE(rig.fake.platform.audio->takeClipStarts().empty());
        }
        EXPECT_EQ(rig.testWav().size(), c.fileBytes);
    }
    EXPECT_EQ(rig.testWav(), tonewave::fileBytes(0.5, 440));
}

TEST(frmfrekvencije, TheSoundOutputIsTheFilesSamplesAndPlayReturnsWhenTheyHaveSounded)
{
    ToneRig rig;
    const std::int64_t before = rig.fake.platform.audio->now();
    rig.play(QStringLiteral("440"), QStringLiteral("0.5"));
    const std::int64_t after = rig.fake.platform.audio->now();

    const auto starts = rig.fake.platform.audio->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    const QByteArray file = tonewave::fileBytes(0.5, 440);
    const auto expected = WavReader::decode(std::span(
        reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
    ASSERT_TRUE(expected);
    const std::int64_t frames = expected.clip->frames();
    EXPECT_GE(after, starts[0].sample + frames);

    const std::vector<float>& out = rig.fake.audioDevice().captured();
    const auto first = std::size_t(2 * (starts[0].sample - before));
    ASSERT_LE(first + std::size_t(2 * frames), out.size());
    // The output stage keeps samples within full scale.
    for (std::int64_t i = 0; i < 2 * frames; ++i)
        ASSERT_FLOAT_EQ(out[first + std::size_t(i)],
            std::clamp(expected.clip->samples[std::size_t(i)], -1.0f, 1.0f))
            << i;
    // Silence after it.
    EXPECT_FLOAT_EQ(out[first + std::size_t(2 * frames)], 0.0f);
}

TEST(frmfrekvencije, DuringTheToneClicksAreDroppedAndACloseWaitsForTheEnd)
{
    ToneRig rig;
    bool closedDuringTone = true;
    rig.duringTone = [&] {
        // A second Play and a Cancel clicked meanwhile run nothing, now or later.
        QTest::mouseClick(rig.dialog.Command3, Qt::LeftButton);
        QTest::mouseClick(rig.dialog.Command1, Qt::LeftButton);
        QTest::keyClick(&rig.dialog, Qt::Key_Escape);
        rig.dialog.close();
        closedDuringTone = !rig.dialog.isVisible();
    };
    rig.play(QStringLiteral("440"), QStringLiteral("2"));
    EXPECT_FALSE(closedDuringTone);
    EXPECT_FALSE(rig.dialog.isVisible());
    EXPECT_EQ(rig.fake.files().writes.size(), 1u);
    const auto starts = rig.fake.platform.audio->takeClipStarts();
    ASSERT_EQ(starts.size(), 1u);
    // The whole tone sounded: it was not cut by the Cancel or the close.
    EXPECT_GE(rig.fake.platform.audio->now(), starts[0].sample + 2 * AudioEngine::kSampleRate);
}

TEST(frmfrekvencije, AToneThatCannotBeWrittenIsReportedAndNotPlayed)
{
    ToneRig rig;
    rig.play(QStringLiteral("440"), QStringLiteral("0.5"));
    rig.fake.platform.audio->takeClipStarts();
    rig.fake.files().fail = FakeFileStore::Fail::BeforeRename;
    rig.play(QStringLiteral("880"), QStringLiteral("1"));
    ASSERT_EQ(rig.boxes().size(), 1u);
    EXPECT_TRUE(
        rig.boxes()[0].text.startsWith(QStringLiteral("The tone could not be written to ")));
    EXPECT_EQ(rig.boxes()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(rig.fake.platform.audio->takeClipStarts().empty());
    EXPECT_EQ(rig.testWav(), tonewave::fileBytes(0.5, 440));
}

TEST(frmfrekvencije, AClickInAFieldSelectsItsWholeText)
{
    ToneRig rig;
    for (QLineEdit* field : { static_cast<QLineEdit*>(rig.dialog.txtFreq),
             static_cast<QLineEdit*>(rig.dialog.txtDuration) }) {
        SCOPED_TRACE(field->objectName().toStdString());
        QTest::mouseClick(
            field, Qt::LeftButton, {}, QPoint(field->width() - 3, field->height() / 2));
        EXPECT_EQ(field->selectedText(), field->text());
        EXPECT_FALSE(field->text().isEmpty());
    }
    EXPECT_FALSE(rig.dialog.txtAmpl->isVisibleTo(&rig.dialog));
    EXPECT_FALSE(rig.dialog.Command2->isVisibleTo(&rig.dialog));
}
