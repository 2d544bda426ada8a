#include "DialogKeys.h"
#include "MainWindowRig.h"
#include "app/ClickSounds.h"
#include "app/frmMSound.h"
#include "controls/GGCommand.h"
#include "piano/ChordScalePanels.h"
#include "piano/ScaleTempo.h"
#include "piano/frmMidiPiano.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "recorder/EncoderSession.h"
#include "recorder/frmMp3.h"
#include "recorder/frmRec.h"
#include "recorder/frmSettings.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

// The settings file as the program's own windows write it: every stored value's name, section
// and text, byte for byte, and what the windows read back from those bytes at their next opening.

namespace {

// As a std::string, which a failed comparison shows as text with a diff.
std::string fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<no file>";
}

void writeBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
        static_cast<qint64>(bytes.size()));
}

GGCommand* pianoButton(const QString& caption)
{
    for (GGCommand* button : frmMidiPiano::instance().findChildren<GGCommand*>()) {
        if (button->Caption() == caption)
            return button;
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
    return nullptr;
}

// Delivered through the window, as the mouse delivers it: the drawn buttons take the press and
// the release from there.
void clickButton(QWidget* button)
{
    if (!button)
        return;
    const QPoint at = button->mapTo(button->window(), QPoint(10, 10));
    QTest::mouseMove(button->window()->windowHandle(), at);
    QTest::mouseClick(button->window()->windowHandle(), Qt::LeftButton, {}, at);
}

// The recorder opened from the menu, the settings dialog's `option` chosen and confirmed, the
// recorder closed.

void chooseRecordingFormat(QRadioButton* frmSettings::*option)
{
    frmFlam::instance().menus().entry(u"mnurec")->action()->trigger();
    ASSERT_TRUE(frmRec::isLoaded());
    QTimer::singleShot(0, [option] {
        frmSettings& dialog = frmSettings::instance();
        QTest::mouseClick(dialog.*option, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseClick(dialog.cmdOke, Qt::LeftButton);
    });
    QTest::mouseClick(frmRec::instance().cmdSettings, Qt::LeftButton);
    frmRec::instance().close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(frmRec::isLoaded());
    frmSettings::unload();
}

} // namespace

// One user's session from an empty file: the volume, the click sounds, the scale tempo, the
// recording format and the encoder's folder, each written where the user changes it.
TEST(SettingsBytes, TheWindowsWritesMakeTheseBytesAndReadBackAtTheNextOpening)
{
    const std::string expected = "[Software\\Taktovia\\Gitara]\n"
                                 "\"Volme\"=\"33\"\n"
                                 "\"Zv1\"=\"103\"\n"
                                 "\"Zv2\"=\"106\"\n"
                                 "\"Zv3\"=\"118\"\n"
                                 "\"Zv4\"=\"115\"\n"
                                 "\"Speed\"=\"90\"\n"
                                 "\"Rate\"=\"22050\"\n"
                                 "\"Channels\"=\"1\"\n"
                                 "\"Resolution\"=\"16\"\n"
                                 "\"WaveFileName\"=\"\"\n"
                                 "[Software\\Taktovia\\Izlaz]\n"
                                 "\"direkt\"=\"/Music/Out \\\"new\\\"\"\n";
    std::string written;
    {
        MainWindowRig rig;
        ASSERT_TRUE(rig.start(true));
        Platform& platform = rig.fake.platform;
        rig.clickSliderTrack(rig.slider().geometry().sliderWidth / 3);

        frmMSound& sounds = frmMSound::load(platform, rig.window().sounds());
        sounds.show();
        retype(sounds.Combo[3]->lineEdit(), QStringLiteral("KICK"));
        clickOn(sounds.Command1);
        frmMSound::unload();

        frmFlam::instance().menus().entry(u"mnuPiano")->action()->trigger();
        ASSERT_TRUE(frmMidiPiano::isLoaded());
        clickButton(pianoButton(QStringLiteral("Scales")));
        rig.fake.boxes().answerInputNext(QStringLiteral("90"));
        clickButton(pianoButton(QStringLiteral("Scale Tempo")));
        frmMidiPiano::instance().close(); // stores the tempo as the window shows it
        QCoreApplication::processEvents();

        chooseRecordingFormat(&frmSettings::optRate22050);

        EncoderSession session;
        frmMp3 encoder(platform, EncoderFunctions {}, session);
        encoder.chooseFolder = [] {
            return QStringLiteral("/Music/Out \"new\"");
        };
        clickOn(encoder.Command3);
        ASSERT_EQ(rig.fake.boxes().shown().size(), 1u) << "no write failed";
        EXPECT_EQ(rig.fake.boxes().shown()[0].title, QStringLiteral("Scale Tempo"));
        written = fileBytes(platform.settings->filePath());
    }
    EXPECT_EQ(written, expected);

    MainWindowRig next;
    writeBytes(next.fake.platform.settings->filePath(), written);
    ASSERT_TRUE(next.start(true));
    EXPECT_EQ(next.slider().CurPosition(), 33);
    const ClickSounds& sounds = next.window().sounds();
    EXPECT_EQ(sounds.AccentBeatSound, 115);
    EXPECT_EQ(sounds.FirstBeatSound, 103);
    frmFlam::instance().menus().entry(u"mnuPiano")->action()->trigger();
    ASSERT_TRUE(frmMidiPiano::isLoaded());
    EXPECT_EQ(frmMidiPiano::instance().panels().tempo().lblMM(), QStringLiteral("090"));
    frmMidiPiano::instance().close();
    QCoreApplication::processEvents();
    EncoderSession session;
    frmMp3 encoder(next.fake.platform, EncoderFunctions {}, session);
    EXPECT_EQ(encoder.txtOutdir->text(), QStringLiteral("/Music/Out \"new\""));
    // The recorder reads 22050 Hz back: its unload writes it again beside the stereo chosen.
    chooseRecordingFormat(&frmSettings::optStereo);
    // The piano's unload stores the tempo as it shows it, in three digits.
    std::string again = expected;
    again.replace(again.find("\"Speed\"=\"90\""), 12, "\"Speed\"=\"090\"");
    again.replace(again.find("\"Channels\"=\"1\""), 14, "\"Channels\"=\"2\"");
    EXPECT_EQ(fileBytes(next.fake.platform.settings->filePath()), again);
}

// A file edited by hand: its comment, its CR LF ends and its other lines stay as they were; a
// recording value that is no usable number reads as its default and is written back as that,
// never as "0"; a value of a type the program does not read is replaced by text.
TEST(SettingsBytes, AHandEditedFileKeepsItsOwnBytesAroundTheValuesTheWindowsWrite)
{
    const std::string edited = "; kept by hand\r\n"
                               "[Software\\Taktovia\\Gitara]\r\n"
                               "\"Rate\"=\"0\"\r\n"
                               "\"Channels\"=\"two\"  \r\n"
                               "\"Resolution\"=dword:00000008\r\n"
                               "\"Volme\"=hex:01,02\r\n"
                               "\"Other\"=\"x\"\r\n";
    const std::string expected = "; kept by hand\r\n"
                                 "[Software\\Taktovia\\Gitara]\r\n"
                                 "\"Rate\"=\"11025\"\r\n"
                                 "\"Channels\"=\"1\"  \r\n"
                                 "\"Resolution\"=\"8\"\r\n"
                                 "\"Volme\"=\"98\"\r\n"
                                 "\"Other\"=\"x\"\r\n"
                                 "\"WaveFileName\"=\"\"\r\n";
    MainWindowRig rig;
    writeBytes(rig.fake.platform.settings->filePath(), edited);
    ASSERT_TRUE(rig.start(true));
    rig.key(Qt::Key_Down);
    chooseRecordingFormat(&frmSettings::optRate11025);
    EXPECT_EQ(fileBytes(rig.fake.platform.settings->filePath()), expected);
}
