#include "app/frmMSound.h"

#include "DialogKeys.h"
#include "StepEngineRig.h"
#include "app/ClickSounds.h"
#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/settings/SettingsStore.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The four choices loaded from the settings, as at start-up, and the dialog over them.
struct SoundsRig
{
    explicit SoundsRig(const std::vector<std::pair<const char*, const char*>>& stored = {})
    {
        for (const auto& [name, value] : stored)
            store(name, value);
        sounds.LoadClickSoundIds();
        dialog = std::make_unique<frmMSound>(fake.platform, sounds);
        dialog->show();
    }

    void store(const char* name, const char* value)
    {
        fake.platform.settings->SaveRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
            QString::fromLatin1(name), QString::fromLatin1(value));
    }

    QString stored(const char* name)
    {
        return fake.platform.settings
            ->GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                QString::fromLatin1(name), QStringLiteral("missing"))
            .toString();
    }

    QStringList shown() const
    {
        QStringList texts;
        for (const QComboBox* box : dialog->Combo)
            texts << box->currentText();
        return texts;
    }

    std::vector<std::optional<double>> variables() const
    {
        return { sounds.FirstBeatSound, sounds.UpBeatSound, sounds.DownBeatSound,
            sounds.AccentBeatSound };
    }

    FakePlatform fake;
    ClickSounds sounds { fake.platform };
    std::unique_ptr<frmMSound> dialog;
};

} // namespace

TEST(frmMSound, BoxesShowWhatTheSettingsHoldAndBlankForWhatNamesNoClip)
{
    struct Case
    {
        std::vector<std::pair<const char*, const char*>> stored;
        QStringList shown;
    };

    const Case cases[] = {
        { {}, { "BONGO", "GLASS", "SNAP", "ACCENT1" } },
        { { { "Zv1", "124" }, { "Zv2", " 102 " }, { "Zv3", "115.0" }, { "Zv4", "101" } },
            { "TAMBOURIN", "ACCENT2", "KICK", "ACCENT1" } },
        { { { "Zv1", "999" }, { "Zv2", "x" }, { "Zv3", "100" }, { "Zv4", "" } },
            { "", "", "", "" } },
        { { { "Zv1", "115.5" }, { "Zv4", "&H65" } }, { "", "GLASS", "SNAP", "ACCENT1" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.join(u',').toStdString());
        SoundsRig rig(c.stored);
        EXPECT_EQ(rig.shown(), c.shown);
        // Every list holds the 24 clips in id order: position p is clip 101 + p.
        for (const QComboBox* box : rig.dialog->Combo) {
            ASSERT_EQ(box->count(), ClickSounds::kClipCount);
            EXPECT_EQ(box->itemText(0), QStringLiteral("ACCENT1"));
            EXPECT_EQ(box->itemText(14), QStringLiteral("KICK"));
            EXPECT_EQ(box->itemText(23), QStringLiteral("TAMBOURIN"));
        }
    }
}

TEST(frmMSound, SaveHandsTheChoicesToTheEngineAndStoresAllFour)
{
    SoundsRig rig;
    retype(rig.dialog->Combo[3]->lineEdit(), QStringLiteral("KICK"));
    // The same clip may sound for several letters; a name in another case is no clip.
    retype(rig.dialog->Combo[0]->lineEdit(), QStringLiteral("KICK"));
    retype(rig.dialog->Combo[1]->lineEdit(), QStringLiteral("snare1"));
    clickOn(rig.dialog->Command1);

    EXPECT_EQ(rig.variables(), (std::vector<std::optional<double>> { 115, 106, 118, 115 }));
    EXPECT_EQ(rig.stored("Zv1"), QStringLiteral("115"));
    EXPECT_EQ(rig.stored("Zv2"), QStringLiteral("106"));
    EXPECT_EQ(rig.stored("Zv3"), QStringLiteral("118"));
    EXPECT_EQ(rig.stored("Zv4"), QStringLiteral("115"));
    EXPECT_EQ(rig.dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(rig.dialog->isVisible());
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}

TEST(frmMSound, ABlankBoxNeverSavesAnIdThatNamesNoClip)
{
    // "x" loads as the default, "999" as itself: blank boxes for both, and Save writes what plays
    // when that is a clip, else the letter's default.
    SoundsRig rig({ { "Zv2", "x" }, { "Zv3", "999" }, { "Zv4", "120" } });
    EXPECT_EQ(rig.shown(), QStringList({ "BONGO", "", "", "SNARE2" }));
    retype(rig.dialog->Combo[3]->lineEdit(), QString());
    clickOn(rig.dialog->Command1);
    EXPECT_EQ(rig.stored("Zv2"), QStringLiteral("106"));
    EXPECT_EQ(rig.stored("Zv3"), QStringLiteral("118"));
    EXPECT_EQ(rig.stored("Zv4"), QStringLiteral("120"));
    EXPECT_EQ(rig.variables(), (std::vector<std::optional<double>> { 103, 106, 118, 120 }));
}

TEST(frmMSound, CancelChangesNothing)
{
    SoundsRig rig;
    retype(rig.dialog->Combo[3]->lineEdit(), QStringLiteral("KICK"));
    clickOn(rig.dialog->Command2);
    EXPECT_EQ(rig.dialog->result(), QDialog::Rejected);
    EXPECT_EQ(rig.variables(), (std::vector<std::optional<double>> { 103, 106, 118, 101 }));
    EXPECT_EQ(rig.stored("Zv4"), QStringLiteral("missing"));
}

TEST(frmMSound, AFailedSettingsWriteIsToldOnceAndTheNewClipsStillPlay)
{
    SoundsRig rig;
    rig.fake.files().fail = FakeFileStore::Fail::BeforeRename;
    retype(rig.dialog->Combo[3]->lineEdit(), QStringLiteral("KICK"));
    clickOn(rig.dialog->Command1);
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    EXPECT_EQ(rig.fake.boxes().shown()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(rig.sounds.AccentBeatSound, 115);
    rig.fake.files().fail = FakeFileStore::Fail::Never;
    // Nothing reached the file: the next run, reading it afresh, finds no choice.
    SettingsStore nextRun(rig.fake.platform.settings->filePath(), rig.fake.files());
    EXPECT_EQ(nextRun.GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                  QStringLiteral("Zv4"), QStringLiteral("missing")),
        QStringLiteral("missing"));
}

// With settings that cannot be written, the dialog opened again shows the clips that play and
// its Save keeps them; the failure is told once.
TEST(frmMSound, ChoicesTheSettingsCannotKeepAreShownAndSavedAgainForTheRun)
{
    SoundsRig rig;
    rig.fake.files().fail = FakeFileStore::Fail::BeforeWrite; // a read-only settings folder
    retype(rig.dialog->Combo[3]->lineEdit(), QStringLiteral("KICK"));
    retype(rig.dialog->Combo[0]->lineEdit(), QStringLiteral("SNAP"));
    clickOn(rig.dialog->Command1);
    ASSERT_EQ(rig.sounds.AccentBeatSound, 115);

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        rig.dialog = std::make_unique<frmMSound>(rig.fake.platform, rig.sounds);
        rig.dialog->show();
        EXPECT_EQ(rig.shown(), QStringList({ "SNAP", "GLASS", "SNAP", "KICK" }));
        clickOn(rig.dialog->Command1);
        EXPECT_EQ(rig.variables(), (std::vector<std::optional<double>> { 118, 106, 118, 115 }));
    }
    EXPECT_EQ(rig.fake.boxes().shown().size(), 1u);
}

// Save while a pattern plays: the running player takes the new clip at the first step placed
// after Save (the audio side renders a block ahead), goes on with its position and keeps its
// grid; handing the pattern over anew would restart it from its first letter.
TEST(frmMSound, SaveWhileABeatPlaysSoundsTheNewClipFromTheNextStepPlacedOnTheSameGrid)
{
    constexpr int kUp = 106;
    constexpr int kDown = 118;
    constexpr int kKick = 115;
    constexpr std::int64_t kStep = 22050; // 120 steps a minute
    using Player = StepWalker::Player;
    for (const Player player : { Player::Metronome, Player::Pattern }) {
        SCOPED_TRACE(player == Player::Pattern ? "pattern player" : "metronome player");
        StepEngineRig rig;
        const std::int64_t first =
            rig.start(player, " 120", QStringLiteral("UDD")) + StepWalker::kStartSamples;
        // Half-way between the fifth step (a D) and the sixth.
        rig.timeline->advanceTo(first + 4 * kStep + kStep / 2);

        frmMSound dialog(rig.fake.platform, *rig.sounds);
        dialog.show();
        retype(dialog.Combo[2]->lineEdit(), QStringLiteral("KICK"));
        const std::int64_t placedBefore = rig.device().renderedFrames();
        clickOn(dialog.Command1);
        rig.timeline->advanceTo(first + 8 * kStep + OfflineAudioDevice::kDefaultBlockFrames);

        std::vector<StepEngineRig::Start> wanted;
        for (std::int64_t k = 0; k <= 8; ++k) {
            const std::int64_t due = first + k * kStep;
            const int down = due < placedBefore ? kDown : kKick;
            wanted.push_back({ k % 3 == 0 ? kUp : down, due });
        }
        EXPECT_EQ(rig.takeStarts(), wanted);
    }
}

namespace {

// The columns, in the dialog's coordinates, where a label's own text leaves ink (its child
// widgets left out).
std::vector<int> inkColumns(const QLabel& label, const QWidget& dialog)
{
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    const_cast<QLabel&>(label).render(&image, {}, {}, QWidget::RenderFlags());
    const int offset = label.mapTo(&dialog, QPoint(0, 0)).x();
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 160) {
                columns.push_back(offset + x);
                break;
            }
        }
    }
    return columns;
}

} // namespace

// Each caption reads as one word with its bold letter: the letter stands where the caption's
// leading blank is, so the gap between it and the rest is narrower than the blank between the
// caption's two words, and the two never overlap.
TEST(frmMSound, EachBoldLetterStandsInItsCaptionsLeadingBlank)
{
    SoundsRig rig;
    const QList<QLabel*> labels = rig.dialog->findChildren<QLabel*>();
    const auto labelWith = [&labels](const QString& text) -> QLabel* {
        for (QLabel* label : labels) {
            if (label->text() == text)
                return label;
        }
        return nullptr;
    };
    const std::pair<const char*, const char*> rows[] = { { "F", " irst Beat:" },
        { "U", " p Beat:" }, { "D", " own Beat:" }, { "A", " ccent Beat:" } };
    for (const auto& [letterText, captionText] : rows) {
        SCOPED_TRACE(letterText);
        QLabel* letter = labelWith(QString::fromLatin1(letterText));
        QLabel* caption = labelWith(QString::fromLatin1(captionText));
        ASSERT_NE(letter, nullptr);
        ASSERT_NE(caption, nullptr);
        EXPECT_TRUE(letter->font().bold());
        const std::vector<int> letterInk = inkColumns(*letter, *rig.dialog);
        const std::vector<int> rest = inkColumns(*caption, *rig.dialog);
        ASSERT_FALSE(letterInk.empty());
        ASSERT_FALSE(rest.empty());
        int wordGap = 0;
        for (std::size_t i = 1; i < rest.size(); ++i)
            wordGap = std::max(wordGap, rest[i] - rest[i - 1] - 1);
        const int letterGap = rest.front() - letterInk.back() - 1;
        EXPECT_GE(letterGap, 0) << "the letter overlaps its caption";
        EXPECT_LT(letterGap, wordGap);
    }
}
