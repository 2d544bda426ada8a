// Started by InstalledTreeTest from an installed program folder, through a link in bin/ as the
// program is, by a user who cannot write there: each file the program reads from its own folder,
// found by the program's own code on the real services, and what it keeps per user written where
// that user can write.

#include "app/AppWindows.h"
#include "app/ClickSounds.h"
#include "app/FlamMenus.h"
#include "app/MenuEntry.h"
#include "app/frmFlam.h"
#include "app/frmMtroNew.h"
#include "platform/Platform.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/UserFolders.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/HtmlHelp.h"
#include "players/frmCD.h"
#include "recorder/EncoderLibrary.h"
#include "recorder/modrec.h"

#include <cmath>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextBrowser>

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

class InstalledProgram : public testing::Test
{
protected:
    void SetUp() override
    {
        // A box nobody answers would hold the run: each is recorded, for the checks to see.
        auto boxes = std::make_unique<FakeMessageBoxService>();
        m_boxes = boxes.get();
        m_platform->boxes = std::move(boxes);
        m_platform->settings->tellWriteFailuresThrough(*m_platform->boxes);
    }

    std::string boxTexts() const
    {
        QStringList texts;
        for (const BoxRequest& box : m_boxes->shown())
            texts.append(box.text);
        return texts.join(u'\n').toStdString();
    }

    std::unique_ptr<Platform> m_platform = makeRealPlatform();
    FakeMessageBoxService* m_boxes = nullptr;
};

// One second of a 440 Hz tone, 16-bit stereo.
QByteArray toneWav()
{
    constexpr int kRate = 44100;
    QByteArray pcm;
    for (int i = 0; i < kRate; ++i) {
        const auto sample =
            static_cast<qint16>(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / kRate)));
        for (int channel = 0; channel < 2; ++channel) {
            pcm.append(static_cast<char>(sample & 0xff));
            pcm.append(static_cast<char>((sample >> 8) & 0xff));
        }
    }
    return wavFileBytes(2, kRate, 16, pcm);
}

} // namespace

TEST_F(InstalledProgram, ItsFolderIsTheInstalledOneReachedThroughTheLinkAndNotWritable)
{
    const QString installed = qEnvironmentVariable("KADENTOR_INSTALLED_FOLDER");
    ASSERT_FALSE(installed.isEmpty());
    // Started through the link: the folder is the one the link leads to, not the link's own.
    EXPECT_EQ(m_platform->programFolder, installed);
    EXPECT_FALSE(QFileInfo(m_platform->programFolder).isWritable());
}

TEST_F(InstalledProgram, TheEncoderLibraryBesideItBindsBothFunctionsAndEncodes)
{
    const QString wav = QDir::home().filePath(QStringLiteral("tone.wav"));
    const QString mp3 = QDir::home().filePath(QStringLiteral("tone.mp3"));
    QFile input(wav);
    ASSERT_TRUE(input.open(QIODevice::WriteOnly));
    ASSERT_GT(input.write(toneWav()), 0);
    input.close();

    EncoderLibrary library(m_platform->programFolder);
    const auto vbr = library.SetVBR(0, 4, 32, 320);
    ASSERT_TRUE(vbr.has_value()) << library.error().toStdString();
    EXPECT_EQ(*vbr, WAVPRESS_DONE);
    const auto encoded = library.EncodeMp3(wav, mp3, 128, 0, 1, nullptr);
    ASSERT_TRUE(encoded.has_value()) << library.error().toStdString();
    EXPECT_EQ(*encoded, WAVPRESS_DONE);

    QFile output(mp3);
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    const QByteArray bytes = output.readAll();
    // A second at 128 kbit/s, in whole frames that start with the frame sync.
    EXPECT_GT(bytes.size(), 12000);
    ASSERT_GE(bytes.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xff);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]) & 0xe0, 0xe0);

    // The copy that was loaded is the installed one, not one found some other way.
    const QString beside = QDir(m_platform->programFolder).filePath(EncoderLibrary::kFileName);
    void* loaded = dlopen(QFile::encodeName(beside).constData(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(loaded, nullptr) << beside.toStdString();
    if (loaded)
        dlclose(loaded);
}

TEST_F(InstalledProgram, EveryClickClipDecodes)
{
    ClickSounds sounds(*m_platform);
    for (int id = ClickSounds::kFirstClipId;
         id < ClickSounds::kFirstClipId + ClickSounds::kClipCount; ++id) {
        SCOPED_TRACE(id);
        const auto clip = sounds.clip(id);
        ASSERT_NE(clip, nullptr);
        EXPECT_GT(clip->frames(), 0);
    }
}

TEST_F(InstalledProgram, TheMainWindowOpensEveryReferenceNoteAndExample)
{
    AppWindows windows(*m_platform);
    frmMtroNew* window = windows.loadMainWindow();
    ASSERT_NE(window, nullptr);
    // What the main window's load says of the machine (no sound card, no mixer) is not ours.
    m_boxes->clear();

    struct Entry
    {
        bool poly;
        int index;
    };

    std::vector<Entry> entries;
    for (int index = 2; index <= 10; ++index)
        entries.push_back({ false, index });
    for (int index = 2; index <= 6; ++index)
        entries.push_back({ true, index });
    for (const Entry& entry : entries) {
        SCOPED_TRACE((entry.poly ? "Primeri " : "Picka ") + std::to_string(entry.index));
        if (entry.poly)
            window->Primeri(entry.index);
        else
            window->Picka(entry.index);
        frmCD& player = frmCD::instance();
        EXPECT_FALSE(player.txtmidi().isEmpty());
        // The file opened: its length is known and shown.
        EXPECT_GT(player.mmControl1().length(), 0);
        EXPECT_FALSE(player.lblDurationValue().isEmpty());
    }
    window->Primeri(8);
    EXPECT_EQ(boxTexts(), "");
}

TEST_F(InstalledProgram, HelpShowsThePageBesideIt)
{
    AppWindows windows(*m_platform);
    windows.showHelp();
    QTextBrowser* help = m_platform->help->window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("The tone generator")));
}

TEST_F(InstalledProgram, ThePianoNamesItsInstrumentsAndDrumsFromTheListBesideIt)
{
    AppWindows windows(*m_platform);
    ASSERT_NE(windows.loadMainWindow(), nullptr);
    windows.showPiano();
    const FlamMenus& menus = frmFlam::instance().menus();
    const auto caption = [&](const char16_t* name, int index) {
        const MenuEntry* entry = menus.entry(name, index);
        return entry ? entry->caption() : QString();
    };
    // The first and last lines of each part of the list; the menus' own captions are otherwise.
    EXPECT_EQ(caption(u"mnuPiano2", 0), QStringLiteral("Acoustic Grand Piano"));
    EXPECT_EQ(caption(u"mnuPiano2", 127), QStringLiteral("Gunshot"));
    EXPECT_EQ(caption(u"mnudrum", 0), QStringLiteral("Acoustic Bass Drum"));
    EXPECT_EQ(caption(u"mnudrum", 31), QStringLiteral("Low Timbale"));
}

TEST_F(InstalledProgram, WhatItKeepsPerUserGoesToTheUsersOwnFolders)
{
    EXPECT_EQ(m_platform->dataFileToWrite(QStringLiteral("Pattern.dat")),
        xdgDataHome() + QStringLiteral("/kadentor/Pattern.dat"));
    EXPECT_TRUE(QFileInfo(xdgDataHome() + QStringLiteral("/kadentor")).isWritable());
    EXPECT_TRUE(m_platform->settings->SaveRegValue(QStringLiteral("Taktovia"),
        QStringLiteral("Gitara"), QStringLiteral("Installed"), QStringLiteral("1")));
    EXPECT_TRUE(QFileInfo::exists(SettingsStore::defaultFilePath()));
    EXPECT_TRUE(SettingsStore::defaultFilePath().startsWith(xdgConfigHome() + u'/'));
    EXPECT_EQ(boxTexts(), "");
}

TEST_F(InstalledProgram, TheRecordersTakeIsKeptInTheUsersCacheAndSavedWhereTheUserChooses)
{
    modrec recorder(*m_platform->mci, *m_platform->boxes);
    recorder.readFormat(*m_platform->settings);
    recorder.OpenNewWave();
    recorder.SetWaveFormat();
    recorder.StartRecording();
    QTest::qWait(300);
    const QDir cache(xdgCacheHome() + QStringLiteral("/kadentor"));
    EXPECT_EQ(cache.entryList({ QStringLiteral("take-*.wav") }, QDir::Files).size(), 1);
    recorder.StopRecording();

    const QString saved = QDir::home().filePath(QStringLiteral("take.wav"));
    EXPECT_TRUE(recorder.SaveWave(saved));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("RIFF"));
    // A header and some of the 300 ms recorded.
    EXPECT_GT(bytes.size(), 44 + 4000);
    recorder.CloseWave();
    EXPECT_EQ(boxTexts(), "");
}
