// The piano heard: its window and its core on the real built-in synthesizer and the real engine,
// rendered offline in the blocks the sound device asks for.
#include "FileBytes.h"
#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "piano/frmMidiPiano.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/SoundFontBank.h"

#include <cmath>

#include <QFile>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kBlock = SdlAudioDevice::kRequestedBlockFrames;
constexpr std::int64_t kSecond = AudioEngine::kSampleRate;

struct SoundRig
{
    SoundRig()
    {
        fake.platform.audio =
            std::make_unique<AudioEngine>(std::make_unique<OfflineAudioDevice>(kBlock));
        fake.platform.midiOut = makeMidiOut(*fake.platform.audio, fonts);
    }

    AudioEngine& engine() { return *fake.platform.audio; }

    // Whole blocks, so that every key event falls between two of them.
    void renderBlocks(std::int64_t frames)
    {
        fake.audioDevice().renderFrames((frames + kBlock - 1) / kBlock * kBlock);
    }

    const std::vector<float>& out() { return fake.audioDevice().captured(); }

    float peak(std::int64_t from, std::int64_t to)
    {
        float largest = 0.0f;
        for (std::int64_t i = 2 * from; i < 2 * to; ++i)
            largest = std::max(largest, std::fabs(out().at(std::size_t(i))));
        return largest;
    }

    // The next half second, from a key pressed now.
    std::vector<float> keyHeard(frmMidiPiano& piano, Qt::Key key)
    {
        const std::int64_t from = engine().now();
        QTest::keyPress(&piano, key);
        renderBlocks(kSecond / 2);
        QTest::keyRelease(&piano, key);
        return std::vector<float>(
            out().begin() + 2 * from, out().begin() + 2 * (from + kSecond / 2));
    }

    SoundFontSource fonts = sharedSoundFont();
    FakePlatform fake;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
};

// The first frame at which two renderings differ (-1: none).
std::int64_t firstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i])
            return std::int64_t(i / 2);
    }
    return -1;
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    float largest = a.size() == b.size() ? 0.0f : 1.0f;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

TEST(PianoSoundTest, EscapeWithAKeyOrAPadHeldReleasesItAtTheNextBlockAndFallsSilent)
{
    struct Case
    {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };

    // A piano string rings on as long as it is held. The General MIDI cymbals ring out the same
    // whether released or not; the tom on keypad 7 answers its release at once.
    const Case cases[] = { { "key Z", Qt::Key_Z, {} }, { "pad 7", Qt::Key_7, Qt::KeypadModifier } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> played[2];
        std::int64_t closedAt = 0;
        for (const bool close : { false, true }) {
            SoundRig rig;
            frmMidiPiano piano(rig.fake.platform, rig.popups, {});
            piano.show();
            QTest::keyPress(&piano, c.key, c.modifiers);
            rig.renderBlocks(kSecond / 2);
            closedAt = rig.engine().now();
            if (close)
                QTest::keyPress(&piano, Qt::Key_Escape);
            rig.renderBlocks(4 * kSecond);
            if (close) {
                ASSERT_TRUE(piano.unloaded());
                EXPECT_LT(rig.peak(closedAt + 3 * kSecond, closedAt + 4 * kSecond), 1e-4f)
                    << "silent 3 s after the close";
            }
            played[close] = rig.out();
        }
        // Held and closed sound the same up to the close; the release shows from the next block.
        const std::int64_t released = firstDifference(played[0], played[1]);
        EXPECT_GE(released, closedAt);
        EXPECT_LT(released, closedAt + kBlock);
    }
}

TEST(PianoSoundTest, TheBuiltInSynthReopenedAfterAnInstrumentShowsAndSoundsTheGrandPiano)
{
    std::vector<float> grand;
    {
        SoundRig rig;
        frmMidiPiano piano(rig.fake.platform, rig.popups, {});
        grand = rig.keyHeard(piano, Qt::Key_Z);
    }

    SoundRig rig;
    QFile::copy(QStringLiteral(KADENTOR_SOURCE_DIR "/resources/piano/Inslst.dat"),
        rig.fake.platform.programFolder + QStringLiteral("/Inslst.dat"));
    frmMidiPiano piano(rig.fake.platform, rig.popups, {});
    rig.menus.setTargets({ .mainWindow = {},
        .piano = [&piano]() -> PianoCommands* {
            return &piano;
        },
        .showAbout = {} });
    QLabel* lblInst = nullptr;
    for (QLabel* label : piano.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Acoustic Grand Piano"))
            lblInst = label;
    }
    ASSERT_NE(lblInst, nullptr);
    rig.menus.entry(u"mnuPiano2", 40)->action()->trigger();
    EXPECT_EQ(lblInst->text(), QStringLiteral("Violin"));
    EXPECT_GT(largestDifference(rig.keyHeard(piano, Qt::Key_Z), grand), 0.01f);
    rig.renderBlocks(3 * kSecond);

    // The same entry again: the device label stays, the synth starts over on the grand piano
    // (the violin's last whisper, far below hearing, still rings out beside it).
    rig.menus.entry(u"device", 0)->action()->trigger();
    EXPECT_EQ(lblInst->text(), QStringLiteral("Acoustic Grand Piano"));
    EXPECT_LT(largestDifference(rig.keyHeard(piano, Qt::Key_Z), grand), 1e-4f);
}

TEST(PianoSoundTest, ASoundFontFailingAfterTheOpeningIsToldOnceAndThePianoStaysUsable)
{
    FakePlatform fake;
    const QString damaged = fake.dir.filePath(QStringLiteral("damaged-GM.sf2"));
    ASSERT_TRUE(writeFileBytes(damaged, QByteArray("RIFF\x10\0\0\0sfbkLIST", 16)));
    bool loaded = false;
    fake.platform.midiOut = makeMidiOut(
        *fake.platform.audio,
        [damaged] {
            return SoundFontBank::load(damaged);
        },
        [&loaded] {
            return loaded;
        });
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    const std::vector<BoxRequest>& shown = fake.boxes().shown();
    {
        frmMidiPiano piano(fake.platform, popups, {});
        piano.show();
        QTest::qWait(3 * PianoCore::kDeviceWatchMs);
        EXPECT_TRUE(shown.empty()) << "the load still runs";

        loaded = true;
        EXPECT_TRUE(QTest::qWaitFor([&shown] {
            return !shown.empty();
        }));
        QTest::qWait(3 * PianoCore::kDeviceWatchMs);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, QStringLiteral("Error initializing MIDI"));
        EXPECT_EQ(shown[0].icon, MsgIcon::Information);
        EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("MIDI failed to initialize")));

        QTest::keyClick(&piano, Qt::Key_Z);
        QTest::keyClick(&piano, Qt::Key_2, Qt::KeypadModifier);
        QTest::keyPress(&piano, Qt::Key_Escape);
        EXPECT_TRUE(piano.unloaded());
        EXPECT_EQ(shown.size(), 1u);
    }
    // The next opening fails at once, with its own box.
    frmMidiPiano again(fake.platform, popups, {});
    EXPECT_EQ(shown.size(), 2u);
}

} // namespace
