#include "app/ClickSounds.h"

#include "StepEngineRig.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/WavReader.h"
#include "platform/settings/SettingsStore.h"

#include <gtest/gtest.h>

TEST(ClickSoundsTest, EachStoredChoiceFallsBackToItsOwnDefault)
{
    struct Case
    {
        std::vector<std::pair<const char*, const char*>> stored;
        double first, up, down, accent;
    };

    const std::vector<Case> cases {
        { {}, 103, 106, 118, 101 },
        { { { "Zv1", "115" }, { "Zv2", "x" }, { "Zv3", "119" }, { "Zv4", "124" } }, 115, 106, 119,
            124 },
        { { { "Zv1", "" }, { "Zv4", " 102 " } }, 103, 106, 118, 102 },
        { { { "Zv2", "1 2" }, { "Zv3", "999" } }, 103, 106, 999, 101 },
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        FakePlatform fake;
        for (const auto& [name, value] : cases[i].stored)
            fake.platform.settings->SaveRegValue(QStringLiteral("Taktovia"),
                QStringLiteral("Gitara"), QString::fromLatin1(name), QString::fromLatin1(value));
        ClickSounds sounds(fake.platform);
        sounds.LoadClickSoundIds();
        EXPECT_EQ(sounds.FirstBeatSound, cases[i].first);
        EXPECT_EQ(sounds.UpBeatSound, cases[i].up);
        EXPECT_EQ(sounds.DownBeatSound, cases[i].down);
        EXPECT_EQ(sounds.AccentBeatSound, cases[i].accent);
    }
}

TEST(ClickSoundsTest, PlayResWavPlacesOnlyClipsOfTheTable)
{
    struct Case
    {
        std::optional<double> id;
        const char* type;
        int played; // 0: nothing
    };

    const Case cases[] = {
        { 101, "RESTYPE", 101 },
        { 124, "RESTYPE", 124 },
        { 116.4, "RESTYPE", 116 },
        { 102.5, "RESTYPE", 102 }, // halves go to even
        { std::nullopt, "RESTYPE", 0 },
        { 100, "RESTYPE", 0 },
        { 125, "RESTYPE", 0 },
        { 1e9, "RESTYPE", 0 },
        { 101, "restype", 0 },
        { 101, "WAVE", 0 },
    };
    StepEngineRig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id.value_or(-1) << " " << c.type);
        const std::int64_t at = rig.engine().now() + 1000;
        rig.sounds->PlayResWav(c.id, QString::fromLatin1(c.type), at);
        rig.device().renderFrames(2000);
        using Starts = std::vector<StepEngineRig::Start>;
        EXPECT_EQ(rig.takeStarts(), (c.played ? Starts { { c.played, at } } : Starts {}));
    }
}

TEST(ClickSoundsTest, ClipsAreReadOnceAndAMissingOneStaysSilent)
{
    StepEngineRig rig;
    ASSERT_TRUE(rig.sounds->clip(118));
    const auto captured = rig.device().captured().size();
    // Gone from the folder after the first read: the kept clip still plays, at its level.
    ASSERT_TRUE(QFile::remove(rig.clipFolder.path() + QStringLiteral("/SNAP.wav")));
    rig.sounds->PlayResWav(118, QStringLiteral("RESTYPE"));
    rig.device().renderFrames(512);
    EXPECT_FLOAT_EQ(rig.device().captured()[captured], clipLevel(118));

    ASSERT_TRUE(QFile::remove(rig.clipFolder.path() + QStringLiteral("/KICK.wav")));
    rig.sounds->PlayResWav(115, QStringLiteral("RESTYPE"));
    rig.sounds->PlayResWav(115, QStringLiteral("RESTYPE"));
    rig.device().renderFrames(512);
    EXPECT_EQ(rig.takeStarts().size(), 1u); // the SNAP above only
}

TEST(ClickSoundsTest, BuiltInClipsAnswerEveryIdAndTheDefaultsSoundTheirNamedClips)
{
    FakePlatform fake;
    ClickSounds sounds(fake.platform);
    for (int id = ClickSounds::kFirstClipId;
         id < ClickSounds::kFirstClipId + ClickSounds::kClipCount; ++id)
        EXPECT_NE(sounds.clip(id), nullptr) << id;

    // With nothing stored, F U D A sound BONGO, GLASS, SNAP and ACCENT1.
    sounds.LoadClickSoundIds();
    const std::pair<std::optional<double>, const char*> letters[] = {
        { sounds.FirstBeatSound, "BONGO" },
        { sounds.UpBeatSound, "GLASS" },
        { sounds.DownBeatSound, "SNAP" },
        { sounds.AccentBeatSound, "ACCENT1" },
    };
    for (const auto& [choice, name] : letters) {
        SCOPED_TRACE(name);
        const auto played = sounds.clip(static_cast<int>(choice.value_or(0)));
        const auto named = WavReader::readFile(QStringLiteral(":/clips/") + name + ".wav");
        ASSERT_TRUE(played && named);
        EXPECT_EQ(played->samples, named.clip->samples);
    }
}
