#include "FileBytes.h"
#include "ModalDialog.h"
#include "WavBytes.h"
#include "platform/FakePlatform.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/media/FakeMediaEngine.h"
#include "platform/settings/SettingsStore.h"
#include "recorder/BrowseForFolder.h"
#include "recorder/EncoderLibrary.h"
#include "recorder/ID3tag.h"
#include "recorder/frmID3.h"
#include "recorder/frmMp3.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class EncoderWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { window = std::make_unique<frmMp3>(fake.platform, library(), session); }

    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(QDir(fake.dir.path()).filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }

    // Writes the output and answers 0, after `onProgress` has seen each report.
    EncoderFunctions library()
    {
        EncoderFunctions functions;
        functions.EncodeMp3 = [this](const QString&, const QString& out, std::int32_t, std::int32_t,
                                  std::uint8_t,
                                  WavpressProgress* cell) -> std::optional<std::int32_t> {
            ++encodings;
            for (std::int32_t p : { 0, 30, 60, 100 }) {
                if (onProgress)
                    onProgress();
                if ((*cell)(p) == 0)
                    return -2;
            }
            QFile made(out);
            EXPECT_TRUE(made.open(QIODevice::WriteOnly));
            made.write(QByteArray(1000, 'M'));
            return 0;
        };
        functions.SetVBR = [](std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
            return std::optional<std::int32_t>(0);
        };
        return functions;
    }

    QByteArray tagOf(const QString& name)
    {
        QFile in(QDir(fake.dir.path()).filePath(name));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        return in.readAll().right(128);
    }

    FakePlatform fake;
    EncoderSession session;
    std::unique_ptr<frmMp3> window;
    std::function<void()> onProgress;
    int encodings = 0;
};

TEST_F(EncoderWindowTest, TheSelectionFillsTheInputsInTheDialogsCase)
{
    frmMp3& w = *window;
    w.chooseWavs = [] {
        return QStringList { "/Rec/Take1.WAV" };
    };
    w.cmdBrowse->click();
    EXPECT_EQ(w.Text1(), QStringLiteral("/Rec/Take1.WAV"));
    EXPECT_EQ(w.Text2(), QString());
    EXPECT_EQ(w.List1(), QStringList { "Take1.WAV" });
    EXPECT_EQ(w.txtOutput->text(), QStringLiteral("Take1.mp3"));

    w.chooseWavs = [] {
        return QStringList { "/Rec/A.wav", "/Rec/b.wav" };
    };
    w.cmdBrowse->click();
    EXPECT_EQ(w.Text1(), QStringLiteral("/Rec"));
    EXPECT_EQ(w.Text2(), QStringLiteral("A.wav\r\nb.wav\r\n"));
    EXPECT_EQ(w.List1(), (QStringList { "A.wav", "b.wav" }));
    EXPECT_EQ(w.txtFile->count(), 2);
    EXPECT_EQ(w.txtFile->currentText(), QStringLiteral("A.wav"));
    EXPECT_EQ(w.txtOutput->text(), QStringLiteral("A.mp3"));

    // Cancelling keeps everything.
    w.chooseWavs = [] {
        return QStringList {};
    };
    w.cmdBrowse->click();
    EXPECT_EQ(w.List1().size(), 2);

    w.ubaciW(QStringLiteral("/Rec/My Take.wav"), QStringLiteral("My Take.wav"));
    EXPECT_EQ(w.Text1(), QStringLiteral("/Rec/My Take.wav"));
    EXPECT_EQ(w.Text2(), QString());
    EXPECT_EQ(w.txtFile->count(), 1);
    EXPECT_EQ(w.txtOutput->text(), QStringLiteral("My Take.mp3"));

    const std::pair<const char*, const char*> names[] = { { "x.wave", "x..mp3" }, { "abc", "" },
        { "abcd", ".mp3" } };
    for (const auto& [typed, output] : names) {
        w.txtFile->setEditText(QLatin1String(typed));
        EXPECT_EQ(w.txtOutput->text(), QLatin1String(output)) << typed;
    }
}

TEST_F(EncoderWindowTest, PlayNeedsAnExistingMp3AndTheVbrBoxSwitchesItsControls)
{
    frmMp3& w = *window;
    w.txtOutdir->setText(fake.dir.path());
    file(QStringLiteral("A.MP3"), "x");
    file(QStringLiteral("a.wav"), "x");
    const std::pair<const char*, bool> outputs[] = { { "A.MP3", true }, { "a.wav", false },
        { "missing.mp3", false }, { "", false } };
    for (const auto& [name, enabled] : outputs) {
        w.txtOutput->setText(QLatin1String(name));
        EXPECT_EQ(w.cmdPlay->isEnabled(), enabled) << name;
    }

    for (bool vbr : { true, false, true }) {
        w.Check1->setChecked(vbr);
        EXPECT_EQ(w.cmbBitrate->isEnabled(), !vbr);
        for (const char* name : { "Label8", "Label9", "cmbMaxBitRate", "Label10", "vbrQual" })
            EXPECT_EQ(w.findChild<QWidget*>(QLatin1String(name))->isEnabled(), vbr) << name;
        EXPECT_TRUE(w.Label3->isEnabled());
        EXPECT_TRUE(w.Label4->isEnabled());
    }
}

TEST_F(EncoderWindowTest, PlayShowsTheStatusAndStopsAtTheEnd)
{
    frmMp3& w = *window;
    w.txtOutdir->setText(fake.dir.path());
    const QString path = file(QStringLiteral("x.mp3"), QByteArray(204800, 'M'));
    fake.media().files[path].duration = 12.3456;
    w.txtOutput->setText(QStringLiteral("x.mp3"));
    w.cmdPlay->click();
    EXPECT_EQ(w.playCaption(), QStringLiteral("g"));
    EXPECT_EQ(w.statusText(), QStringLiteral("x.mp3; Duration: 12.35; Size: 200 KB"));
    EXPECT_FALSE(w.txtFile->isEnabled());
    EXPECT_FALSE(w.cmdBrowse->isEnabled());

    fake.media().graphs.back()->position = 5.5;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return w.Label11->text() == QStringLiteral("5.5");
        },
        2000));
    EXPECT_EQ(w.playCaption(), QStringLiteral("g"));
    fake.media().graphs.back()->position = 12.3456;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return w.playCaption() == QStringLiteral("4");
        },
        2000));
    EXPECT_EQ(w.cmdPlay->toolTip(), QStringLiteral("Play MP3"));
    EXPECT_EQ(w.statusText(), QString());
    EXPECT_EQ(w.Label11->text(), QString());
    EXPECT_TRUE(w.txtFile->isEnabled());

    // A file the player cannot open ends at the first tick.
    file(QStringLiteral("bad.mp3"), "x");
    w.txtOutput->setText(QStringLiteral("bad.mp3"));
    w.cmdPlay->click();
    EXPECT_EQ(w.statusText(), QStringLiteral("bad.mp3; Duration: 0; Size: 0 KB"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return w.playCaption() == QStringLiteral("4");
        },
        2000));
}

TEST_F(EncoderWindowTest, DuringARunOnlyStopAndCancelWorkAndACloseWaitsForTheRun)
{
    frmMp3& w = *window;
    w.txtOutdir->setText(fake.dir.path());
    const QString take =
        file(QStringLiteral("take.wav"), wavFileBytes(1, 44100, 16, QByteArray(400, 1)));
    w.ubaciW(take, QStringLiteral("take.wav"));
    QSignalSpy finished(&w, &QDialog::finished);
    int calls = 0;
    onProgress = [&] {
        if (++calls != 2)
            return;
        // The user's click comes while the library's report lets the window handle events.
        QTimer::singleShot(0, &w, [&] {
            for (QWidget* held : std::initializer_list<QWidget*> { w.cmbEncode, w.cmdBrowse,
                     w.Command3, w.txtFile, w.txtOutput, w.txtOutdir, w.Check1, w.Check2, w.Check3,
                     w.chkDel, w.cmbMode, w.cmbFreq, w.cmbBitrate, w.cmdEditID3, w.cmdPlay })
                EXPECT_FALSE(held->isEnabled()) << held->objectName().toStdString();
            EXPECT_TRUE(w.cmdCancel->isEnabled());
            EXPECT_TRUE(w.Command1->isEnabled());
            w.Command1->click();
            EXPECT_FALSE(w.cmdCancel->isEnabled());
            EXPECT_FALSE(w.cmbEncode->isEnabled());
            EXPECT_EQ(finished.size(), 0);
        });
    };
    w.cmbEncode->click();
    EXPECT_EQ(calls, 3); // the stop is answered at the next report
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].text, QStringLiteral("Encoding cancelled by user."));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_TRUE(w.cmbEncode->isEnabled());
    EXPECT_TRUE(w.txtFile->isEnabled());
    EXPECT_FALSE(session.CancelEncoding());

    // Cancel while idle leaves no request: the next opening's encoding runs to its end.
    w.Command1->click();
    window = std::make_unique<frmMp3>(fake.platform, library(), session);
    window->txtOutdir->setText(fake.dir.path());
    window->ubaciW(take, QStringLiteral("take.wav"));
    onProgress = nullptr;
    window->cmbEncode->click();
    EXPECT_TRUE(QFile::exists(QDir(fake.dir.path()).filePath("take.mp3")));
    EXPECT_TRUE(window->cmdPlay->isEnabled());
}

// The sample rate an MPEG audio frame header names (MPEG-1, 2 and 2.5); 0 when `bytes` do not
// start with one.
int frameRate(const QByteArray& bytes)
{
    const auto byte = [&bytes](int i) {
        return static_cast<std::uint8_t>(bytes.at(i));
    };
    if (bytes.size() < 4 || byte(0) != 0xFF || (byte(1) & 0xE0) != 0xE0)
        return 0;
    const int version = (byte(1) >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int index = (byte(2) >> 2) & 3;
    if (version == 1 || index == 3)
        return 0;
    constexpr int kMpeg1[] = { 44100, 48000, 32000 };
    return kMpeg1[index] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
}

TEST_F(EncoderWindowTest, AutoEncodesAFileWhoseFormatFollowsAListChunkAtItsOwnRate)
{
    EncoderLibrary real(QStringLiteral(WAVPRESS_FOLDER));
    std::vector<std::pair<std::int32_t, std::int32_t>> passed; // kbps, rate
    EncoderFunctions functions = functionsOf(real);
    functions.EncodeMp3 = [&passed, encode = functions.EncodeMp3](const QString& in,
                              const QString& out, std::int32_t kbps, std::int32_t rate,
                              std::uint8_t mode, WavpressProgress* cell) {
        passed.emplace_back(kbps, rate);
        return encode(in, out, kbps, rate, mode, cell);
    };

    struct Row
    {
        int rate;
        QStringList boxes;
        int kbps;
    };

    const QString done = QStringLiteral("WAV to MP3 encoding done.");
    const Row rows[] = {
        { 22050,
            { QStringLiteral("Current sample rate (22.05 KHz) is not fully supported by the "
                             "encoder. For higher compatibility, the bitrate will be "
                             "automatically set to 128 kbits/sec. There is a possibility that "
                             "encoding will not succeed."),
                done },
            128 },
        { 44100, { done }, 192 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rate);
        passed.clear();
        fake.boxes().clear();
        // Three seconds of a mono tone, its tags in a LIST chunk ahead of the format.
        using namespace wavbytes;
        Bytes pcm;
        for (int i = 0; i < row.rate * 3; ++i)
            put16(pcm, static_cast<std::uint16_t>(std::lround(8000 * std::sin(i * 0.05))));
        const QString take = QDir(fake.dir.path()).filePath(QStringLiteral("take.wav"));
        const QString mp3 = QDir(fake.dir.path()).filePath(QStringLiteral("take.mp3"));
        ASSERT_TRUE(writeFileBytes(take,
            riff({ chunk("LIST", Bytes(26, 'x')),
                chunk("fmt ", formatBody(1, 1, static_cast<std::uint32_t>(row.rate), 16)),
                chunk("data", pcm) })));
        QFile::remove(mp3);

        window = std::make_unique<frmMp3>(fake.platform, functions, session);
        frmMp3& w = *window;
        w.txtOutdir->setText(fake.dir.path());
        w.ubaciW(take, QStringLiteral("take.wav"));
        w.cmbBitrate->setCurrentText(QStringLiteral("192"));
        w.show();
        QTest::mouseClick(w.cmbEncode, Qt::LeftButton);

        QStringList shown;
        for (const BoxRequest& box : fake.boxes().shown())
            shown << box.text;
        EXPECT_EQ(shown, row.boxes);
        ASSERT_EQ(passed.size(), 1u);
        EXPECT_EQ(passed[0], std::make_pair(row.kbps, row.rate));
        EXPECT_EQ(frameRate(fileBytes(mp3)), row.rate);
        EXPECT_TRUE(w.cmdPlay->isEnabled());
    }
}

TEST_F(EncoderWindowTest, TheOutputFolderIsKeptAndStripItemCutsOneItem)
{
    window->chooseFolder = [] {
        return QStringLiteral("/Music/Out");
    };
    window->Command3->click();
    window = std::make_unique<frmMp3>(fake.platform, library(), session);
    EXPECT_EQ(window->txtOutdir->text(), QStringLiteral("/Music/Out"));
    window->chooseFolder = [] {
        return QString();
    };
    window->Command3->click();
    EXPECT_EQ(window->txtOutdir->text(), QStringLiteral("/Music/Out"));

    const QChar nul(0);

    struct Row
    {
        QString text, item, rest;
    };

    const Row rows[] = { { QStringLiteral("ab") + nul + u'c' + nul + nul, QStringLiteral("ab"),
                             QStringLiteral("c") + nul + nul },
        { QString(nul), QString(), QString() },
        { QStringLiteral("abc"), QStringLiteral("abc"), {} } };
    for (const Row& row : rows) {
        QString text = row.text;
        EXPECT_EQ(frmMp3::StripItem(text, nul), row.item);
        EXPECT_EQ(text, row.rest);
    }

    EXPECT_EQ(specialFolderPath(QStringLiteral("/tmp/x")), QStringLiteral("/tmp/x"));
    EXPECT_EQ(specialFolderPath(5), QDir::homePath());
    EXPECT_EQ(specialFolderPath(QStringLiteral("12")), QDir::homePath());
}

// Works the tag editor that Edit ID3 shows, from inside its event loop.
void editTags(frmMp3& window, const std::function<void(frmID3&)>& work)
{
    EXPECT_TRUE(workModal<frmID3>(
        [&window] {
            window.cmdEditID3->click();
        },
        work));
}

TEST_F(EncoderWindowTest, TheTagEditorFillsThePendingTagAndWritesOnlyTheCurrentOutput)
{
    frmMp3& w = *window;
    w.show();
    w.txtOutdir->setText(fake.dir.path());
    w.Check2->setChecked(true);
    file(QStringLiteral("a.mp3"), QByteArray(500, 'A'));
    file(QStringLiteral("b.mp3"), QByteArray(500, 'B'));
    w.txtOutput->setText(QStringLiteral("a.mp3"));
    w.cmdPlay->click();
    w.cmdPlay->click();
    w.txtOutput->setText(QStringLiteral("b.mp3"));
    editTags(w, [](frmID3& editor) {
        EXPECT_EQ(editor.cmbGenre->count(), 148);
        EXPECT_EQ(editor.cmbGenre->itemData(0).toInt(), 255);
        EXPECT_EQ(editor.cmbGenre->currentIndex(), 0);
        EXPECT_EQ(editor.txtTrackNo->text(), QStringLiteral("0"));
        editor.txtTitle->setText(QStringLiteral("Take"));
        editor.txtTrackNo->setText(QStringLiteral("300"));
        editor.txtYear->setText(QStringLiteral("70000"));
        editor.cmbGenre->setEditText(QStringLiteral("Rock"));
        editor.cmdOk->click();
    });
    EXPECT_EQ(session.PendingTag().Genre(), 17);
    EXPECT_EQ(session.PendingTag().SongNumber(), 0);
    EXPECT_EQ(session.PendingTag().Year(), 0);
    EXPECT_EQ(session.PendingTag().Name(), QStringLiteral("Take"));
    EXPECT_EQ(tagOf(QStringLiteral("a.mp3")), QByteArray(128, 'A'));
    const QByteArray written = tagOf(QStringLiteral("b.mp3"));
    EXPECT_TRUE(written.startsWith("TAGTake"));
    EXPECT_EQ(static_cast<std::uint8_t>(written.at(127)), 17);

    // Cancel after editing changes nothing; the empty entry means no genre.
    editTags(w, [](frmID3& editor) {
        EXPECT_EQ(editor.cmbGenre->currentText(), QStringLiteral("Rock"));
        editor.cmbGenre->setCurrentIndex(0);
        editor.Command1->click();
    });
    EXPECT_EQ(session.PendingTag().Genre(), 17);
    EXPECT_EQ(tagOf(QStringLiteral("b.mp3")), written);
    editTags(w, [](frmID3& editor) {
        editor.cmbGenre->setCurrentIndex(0);
        editor.cmdOk->click();
    });
    EXPECT_EQ(session.PendingTag().Genre(), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(tagOf(QStringLiteral("b.mp3")).at(127)), 255);

    // No output name: nothing read, nothing written.
    w.txtOutput->clear();
    editTags(w, [](frmID3& editor) {
        EXPECT_EQ(editor.txtTrackNo->text(), QString());
        editor.txtYear->setText(QStringLiteral("2004"));
        editor.cmdOk->click();
    });
    EXPECT_EQ(session.PendingTag().Year(), 2004);
    EXPECT_EQ(frmID3::showMp3TagsSB1(fake.boxes(), QString()), QString());
    EXPECT_EQ(tagOf(QStringLiteral("b.mp3")), QByteArray(written).replace(127, 1, "\xff"));
}

} // namespace
