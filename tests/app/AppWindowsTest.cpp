#include "FileBytes.h"
#include "KnownTake.h"
#include "MainWindowRig.h"
#include "ModalDialog.h"
#include "UnloadGuard.h"
#include "WavBytes.h"
#include "app/Skin.h"
#include "app/frmMSound.h"
#include "app/frmPatern.h"
#include "app/frmfrekvencije.h"
#include "app/frmpoly.h"
#include "piano/frmDrums.h"
#include "piano/frmMidiPiano.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/FakeCaptureDevice.h"
#include "platform/audio/WavWriter.h"
#include "platform/audio/WaveCapture.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/mci/EngineWaveAudio.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/mixer/FakeMixerService.h"
#include "platform/shell/EndSignals.h"
#include "platform/shell/HtmlHelp.h"
#include "players/frmCD.h"
#include "recorder/EncoderSession.h"
#include "recorder/EncodingRun.h"
#include "recorder/frmID3.h"
#include "recorder/frmMp3.h"
#include "recorder/frmRec.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <thread>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Runs `action` inside the application's event loop, as the program runs its handlers; true when
// the program quit in it, false when the loop still ran after it.
bool quitsOn(const std::function<void()>& action)
{
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    QObject::connect(&stillRunning, &QTimer::timeout, [] {
        QCoreApplication::exit(1);
    });
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, [&] {
        action();
        stillRunning.start(50);
    });
    start.start(0);
    return QApplication::exec() == 0;
}

} // namespace

TEST(AppWindows, HelpLeavesTheBeatGoingAndShowsOurFileInOneWindow)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    FakePlatform& fake = rig.fake;
    rig.dragDialTo(40);
    ASSERT_TRUE(rig.stepping());
    FlamMenus& menus = frmFlam::instance().menus();

    // No help file: nothing shown, nothing said, the beat going on.
    menus.entry(u"mnuhelp")->action()->trigger();
    EXPECT_EQ(fake.platform.help->window(), nullptr);
    EXPECT_TRUE(fake.boxes().shown().empty());
    EXPECT_TRUE(rig.stepping());

    ASSERT_TRUE(QFile::copy(QStringLiteral(KADENTOR_HELP_FILE),
        QDir(fake.platform.programFolder).filePath(QStringLiteral("metro.html"))));
    menus.entry(u"mnuhelp")->action()->trigger();
    QTextBrowser* help = fake.platform.help->window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("The tone generator")));
    help->close();
    menus.entry(u"mnuhelp")->action()->trigger();
    EXPECT_EQ(fake.platform.help->window(), help);
    EXPECT_TRUE(help->isVisible());
}

// Ending the program with a take not saved asks the recorder's question once, before anything is
// unloaded. A save that is cancelled or fails keeps the program whole, as if the end had not been
// asked: the main window shown with its beat going, the recorder with its take, the event loop
// running. A No lets the take go and ends the program.
TEST(AppWindows, QuittingWithAnUnsavedTakeAsksOnceAndAHeldBackSaveKeepsTheProgramWhole)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    FakePlatform& fake = rig.fake;
    FlamMenus& menus = frmFlam::instance().menus();
    menus.entry(u"mnurec")->action()->trigger();
    ASSERT_TRUE(frmRec::isLoaded());
    frmRec& recorder = frmRec::instance();
    const QString path = fake.dir.path() + "/take.wav";
    std::deque<QString> paths = { QString(), path }; // the dialog cancelled, then a path
    recorder.askSavePath = [&](QWidget*) {
        const QString chosen = paths.empty() ? QString() : paths.front();
        if (!paths.empty())
            paths.pop_front();
        return chosen;
    };
    auto& wave = static_cast<FakeWaveAudio&>(fake.platform.mci->backend());
    QTest::mouseClick(recorder.cmdRecord, Qt::LeftButton);
    wave.advance(500);
    QTest::mouseClick(recorder.cmdStop, Qt::LeftButton);
    rig.dragDialTo(40);
    ASSERT_TRUE(rig.stepping());

    const auto exitChosen = [&] {
        menus.entry(u"mnuexit")->action()->trigger();
    };
    const auto boxTexts = [&] {
        QStringList texts;
        for (const BoxRequest& box : fake.boxes().shown())
            texts.append(box.text);
        return texts;
    };
    const QString question = QStringLiteral("Save current recording?");
    fake.files().fail = FakeFileStore::Fail::BeforeRename;
    for (const QStringList& expected :
        { QStringList { question }, QStringList { question, "Unable to save " + path } }) {
        SCOPED_TRACE(expected.size() == 1 ? "save cancelled" : "save failed");
        fake.boxes().clear();
        fake.boxes().answerNext(MsgResult::Yes);
        EXPECT_FALSE(quitsOn(exitChosen));
        EXPECT_EQ(boxTexts(), expected);
        EXPECT_TRUE(rig.window().isVisible());
        EXPECT_TRUE(rig.stepping());
        ASSERT_TRUE(frmRec::isLoaded());
        EXPECT_TRUE(recorder.isVisible());
        EXPECT_EQ(recorder.lblrec, "REC");
        EXPECT_EQ(wave.recordedBytes(), 500 * 88200 / 1000);
    }

    fake.files().fail = FakeFileStore::Fail::Never; // the unload stores the format
    fake.boxes().clear();
    fake.boxes().answerNext(MsgResult::No);
    EXPECT_TRUE(quitsOn(exitChosen));
    EXPECT_EQ(boxTexts(), QStringList { question });
    EXPECT_FALSE(rig.window().isVisible());
    EXPECT_FALSE(rig.stepping());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frmRec::isLoaded());
}

namespace {

// The help's sections, by anchor ("ctx<n>"): the text of each anchored heading.
std::map<QString, QString> helpSections(QString& html)
{
    QFile file(QStringLiteral(KADENTOR_HELP_FILE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    html = QString::fromUtf8(file.readAll());
    static const QRegularExpression heading(
        QStringLiteral(R"re(<h2><a name="(ctx\d+)"></a>(.*?)</h2>)re"));
    std::map<QString, QString> sections;
    for (auto found = heading.globalMatch(html); found.hasNext();) {
        const QRegularExpressionMatch match = found.next();
        EXPECT_TRUE(sections.emplace(match.captured(1), match.captured(2)).second)
            << "anchor " << match.captured(1).toStdString() << " twice";
    }
    return sections;
}

} // namespace

// Every window has a section of its own in the help, reached by its anchor from the contents and
// headed by the name the window's title shows (the recorder's title adds what it does).
TEST(AppWindows, TheHelpHasAnAnchoredSectionForEveryWindowUnderTheNameItsTitleShows)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    Platform& platform = rig.fake.platform;
    FlamMenus& menus = frmFlam::instance().menus();
    const auto choose = [&menus](const char16_t* entry) {
        menus.entry(QStringView(entry))->action()->trigger();
    };

    QStringList titles;
    {
        UnloadGuard<frmpoly, frmPatern, frmMSound, frmfrekvencije> unloads;
        titles << frmpoly::load(platform, rig.metronome()).windowTitle();
        titles << frmPatern::load(platform, rig.metronome()).windowTitle();
        titles << frmMSound::load(platform, rig.window().sounds()).windowTitle();
        titles << frmfrekvencije::load(platform).windowTitle();
    }
    choose(u"mnuPiano");
    titles << frmMidiPiano::instance().windowTitle();
    choose(u"mnudrumk");
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmDrums*>(window))
            titles << window->windowTitle();
    }
    choose(u"mnurec");
    titles << frmRec::instance().windowTitle().section(QStringLiteral(" - "), 0, 0);
    modrec rec(*platform.mci, *platform.boxes);
    titles << frmSettings(platform, rec, {}, {}).windowTitle();
    EncoderSession session;
    titles << frmMp3(platform, EncoderFunctions {}, session).windowTitle();
    titles << frmID3(*platform.boxes, session.PendingTag(), QString()).windowTitle();
    ASSERT_TRUE(QFile::copy(QStringLiteral(KADENTOR_HELP_FILE),
        QDir(platform.programFolder).filePath(QStringLiteral("metro.html"))));
    choose(u"mnuhelp");
    ASSERT_NE(platform.help->window(), nullptr);
    titles << platform.help->window()->windowTitle();
    // The about box has no title: it is named as the menu entry that opens it.
    titles << menus.entry(u"mnuabout")->caption().remove(u'&').remove(QStringLiteral("..."));
    ASSERT_EQ(titles.size(), 12) << titles.join(u',').toStdString();

    QString html;
    const std::map<QString, QString> sections = helpSections(html);
    for (const auto& [anchor, heading] : sections) {
        SCOPED_TRACE(heading.toStdString());
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"#%1\"").arg(anchor)));
    }
    for (const QString& title : titles) {
        SCOPED_TRACE(title.toStdString());
        ASSERT_FALSE(title.isEmpty());
        const auto named = std::find_if(sections.begin(), sections.end(), [&title](const auto& s) {
            return s.second.contains(u'"' + title + u'"');
        });
        EXPECT_NE(named, sections.end()) << "no section for this window";
    }
    EXPECT_NE(std::find_if(sections.begin(), sections.end(),
                  [](const auto& s) {
                      return s.second == QStringLiteral("The main window");
                  }),
        sections.end());
}

// What the encoder keeps lives as long as the program, not as its window: the tag filled in the
// tag editor at one opening stamps the MP3 that the real library encodes at the next.
TEST(AppWindows, TheTagFilledAtOneOpeningOfTheEncoderStampsTheMp3OfTheNext)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    FakePlatform& fake = rig.fake;
    const QDir folder(fake.dir.path());
    ASSERT_TRUE(QFile::copy(QStringLiteral(WAVPRESS_FOLDER "/libwavpress.so"),
        QDir(fake.platform.programFolder).filePath(QStringLiteral("libwavpress.so"))));
    using namespace wavbytes;
    Bytes pcm;
    for (int i = 0; i < 44100 * 2; ++i)
        put16(pcm, static_cast<std::uint16_t>(std::lround(8000 * std::sin(i * 0.05))));
    ASSERT_TRUE(
        writeFileBytes(folder.filePath(QStringLiteral("take.wav")), wavFile(1, 44100, 16, pcm)));

    const auto openEncoder = [&] {
        frmFlam::instance().menus().entry(u"mnump3")->action()->trigger();
    };
    ASSERT_TRUE(workModal<frmMp3>(openEncoder, [](frmMp3& encoder) {
        QTest::mouseClick(encoder.Check2, Qt::LeftButton);
        EXPECT_TRUE(workModal<frmID3>(
            [&encoder] {
                QTest::mouseClick(encoder.cmdEditID3, Qt::LeftButton);
            },
            [](frmID3& editor) {
                editor.txtTitle->setText(QStringLiteral("Kept"));
                QTest::mouseClick(editor.cmdOk, Qt::LeftButton);
            }));
        QTest::mouseClick(encoder.Command1, Qt::LeftButton);
    }));
    ASSERT_FALSE(frmMp3::isLoaded());

    ASSERT_TRUE(workModal<frmMp3>(openEncoder, [&folder](frmMp3& encoder) {
        encoder.chooseWavs = [&folder] {
            return QStringList { folder.filePath(QStringLiteral("take.wav")) };
        };
        QTest::mouseClick(encoder.cmdBrowse, Qt::LeftButton);
        encoder.txtOutdir->setText(folder.path());
        QTest::mouseClick(encoder.Check2, Qt::LeftButton);
        QTest::mouseClick(encoder.cmbEncode, Qt::LeftButton);
        QTest::mouseClick(encoder.Command1, Qt::LeftButton);
    }));
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].text, QStringLiteral("WAV to MP3 encoding done."));
    const QByteArray mp3 = fileBytes(folder.filePath(QStringLiteral("take.mp3")));
    ASSERT_GT(mp3.size(), 128);
    EXPECT_TRUE(mp3.right(128).startsWith("TAGKept")) << mp3.right(128).left(40).toStdString();
}

namespace {

// The mouse as the platform delivers it: moved to a point of `window` (its own coordinates) and
// clicked there; the window finds the control under the point, or hands the click to the open
// pop-up.
void clickAt(QWidget& window, QPoint at)
{
    QTest::mouseMove(window.windowHandle(), at);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
}

// The window manager's close (WM_DELETE_WINDOW), as the platform hands it to the window.
void closeAsWindowManager(QWidget& window)
{
    QCloseEvent close;
    QApplication::sendEvent(window.windowHandle(), &close);
}

QMenu* openMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// A click on `window` beside the open menu, which closes it as a click elsewhere does.
void clickBesideMenu(QWidget& window)
{
    const QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    for (int y = 5; y < window.height(); y += 20) {
        for (int x = 5; x < window.width(); x += 20) {
            if (!menu->geometry().contains(window.mapToGlobal(QPoint(x, y))))
                return clickAt(window, { x, y });
        }
    }
    ADD_FAILURE() << "the menu covers the whole window";
}

void clickEntry(QMenu& menu, const QString& caption)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == caption)
            return clickAt(menu, menu.actionGeometry(action).center());
    }
    ADD_FAILURE() << "no entry " << caption.toStdString();
}

// The piano's button faces, in the window's coordinates.
constexpr QPoint kInstrumentButton(492, 41);
constexpr QPoint kOptionsButton(492, 71);
constexpr QPoint kRhythmButton(692, 55);
constexpr QPoint kStopRhythmButton(676, 80);

// The piano as the main window's piano button opens it; null when none opened.
frmMidiPiano* openPiano(frmMtroNew& main)
{
    const QPoint button = skinPlace("imKlavir").center();
    QTest::mouseMove(main.windowHandle(), button);
    QTest::mousePress(main.windowHandle(), Qt::LeftButton, {}, button);
    QTest::mouseRelease(main.windowHandle(), Qt::LeftButton, {}, button);
    return frmMidiPiano::isLoaded() ? &frmMidiPiano::instance() : nullptr;
}

// A menu a piano window opens: a click on the piano's button; for the drum sounds, then "Assign
// Drum Keys" in the menu it opens and a click on a drum of the drum window.
struct PianoMenu
{
    const char* name;
    QPoint button;
    bool onTheDrumWindow = false;

    friend void PrintTo(const PianoMenu& menu, std::ostream* out) { *out << menu.name; }
};

void openMenu(frmMidiPiano& piano, const PianoMenu& menu)
{
    clickAt(piano, menu.button);
    if (!menu.onTheDrumWindow)
        return;
    ASSERT_NE(openMenu(), nullptr);
    clickEntry(*openMenu(), QStringLiteral("Assign Drum Keys"));
    auto* drums = piano.findChild<frmDrums*>();
    ASSERT_NE(drums, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([drums] {
        return drums->isVisible();
    }));
    clickAt(*drums, { 48, 64 }); // the first drum's picture
}

const PianoMenu kPianoMenus[] = {
    { "Instrument", kInstrumentButton },
    { "Options", kOptionsButton },
    { "Rhythm", kRhythmButton },
    { "DrumSounds", kOptionsButton, true },
};

// The main window with the program's own windows, and the piano that its piano button opened.
class OpenPiano : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.start(true));
        piano = openPiano(rig.window());
        ASSERT_NE(piano, nullptr);
    }

    MainWindowRig rig;
    frmMidiPiano* piano = nullptr;
};

class PianoMenuTest : public OpenPiano, public testing::WithParamInterface<PianoMenu>
{
};

} // namespace

// The piano's menus belong to the engine form and outlive the piano. The piano closed by the
// window manager while one of them is open is destroyed by its delayed unload; a click elsewhere
// then closes the menu, and its closing handler must not reach the destroyed window: the program
// goes on, and the next piano opens the same menu.
TEST_P(PianoMenuTest, APianoClosedWhileTheMenuIsOpenIsNotCalledBackWhenTheMenuCloses)
{
    frmMtroNew& main = rig.window();
    openMenu(*piano, GetParam());
    const QPointer<QMenu> menu = openMenu();
    ASSERT_NE(menu, nullptr);

    closeAsWindowManager(*piano);
    ASSERT_TRUE(QTest::qWaitFor([] {
        return !frmMidiPiano::isLoaded();
    }));
    ASSERT_TRUE(menu && menu->isVisible());
    clickBesideMenu(main);
    QTest::qWait(20);
    EXPECT_EQ(openMenu(), nullptr);
    EXPECT_TRUE(main.isVisible());

    piano = openPiano(main);
    ASSERT_NE(piano, nullptr);
    openMenu(*piano, GetParam());
    EXPECT_EQ(openMenu(), menu);
}

INSTANTIATE_TEST_SUITE_P(AppWindows,
    PianoMenuTest,
    testing::ValuesIn(kPianoMenus),
    [](const testing::TestParamInfo<PianoMenu>& info) {
        return std::string(info.param.name);
    });

// A piano that stays hears its menu close: the Rhythm menu left enables the rhythm's Stop.
TEST_F(OpenPiano, TheRhythmMenuLeftEnablesTheRhythmsStop)
{
    QWidget* stop = piano->childAt(kStopRhythmButton);
    ASSERT_NE(stop, nullptr);
    EXPECT_FALSE(stop->isEnabled());
    clickAt(*piano, kRhythmButton);
    clickBesideMenu(rig.window());
    EXPECT_TRUE(QTest::qWaitFor([stop] {
        return stop->isEnabled();
    }));
}

// A SIGTERM (a shutdown, a logout) in the middle of a take ends the program as its close does,
// with nothing asked: the take stopped with every byte delivered in its file and its header
// saying so, the recorder's format stored as its close stores it. The next start offers the take,
// and Yes saves it sample for sample.
TEST(AppWindows, ASigtermMidTakeEndsAskingNothingAndTheNextStartOffersTheTake)
{
    FakePlatform first;
    auto input = std::make_unique<FakeCaptureDevice>();
    FakeCaptureDevice& device = *input;
    first.platform.audio->setCaptureDevice(std::move(input));
    first.platform.mci = std::make_unique<MciCommandInterpreter>(
        std::make_unique<EngineWaveAudio>(*first.platform.audio, first.platform.takeFolder),
        *first.platform.files);
    const auto stored = [&first](const char* name) {
        return first.platform.settings
            ->GetRegValue(
                "Taktovia", "Gitara", name, "<none>", SettingsStore::kCurrentUser, "Software")
            .toString();
    };
    const auto takes = [&first] {
        return QDir(first.platform.takeFolder)
            .entryList({ QStringLiteral("take-*.wav") }, QDir::Files);
    };
    const std::int64_t second = 44100 * 2; // the stored format's default: 16-bit mono
    {
        AppWindows windows(first.platform);
        const EndSignals endSignals([&windows](int) {
            windows.endWithoutAsking();
        });
        ASSERT_TRUE(windows.loadMainWindow());
        windows.showRecorder();
        QTest::mouseClick(frmRec::instance().cmdRecord, Qt::LeftButton);
        ASSERT_TRUE(device.running());
        const QByteArray known = knownTakeBytes(0, second);
        device.feed(std::vector<std::uint8_t>(known.begin(), known.end()));
        WaveCapture& capture = first.platform.audio->capture();
        for (int i = 0; i < 2500 && capture.recordedBytes() < second; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(capture.recordedBytes(), second);
        ASSERT_EQ(stored("Rate"), "<none>");

        // Sent while the event loop runs, as it comes in the program.
        QTimer::singleShot(0, [] {
            ::kill(::getpid(), SIGTERM);
        });
        QTimer stuck;
        QObject::connect(&stuck, &QTimer::timeout, [] {
            QCoreApplication::exit(1);
        });
        stuck.start(5000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_TRUE(first.boxes().shown().empty());
        EXPECT_FALSE(device.running());
        EXPECT_FALSE(frmMtroNew::instance().isVisible());
    }
    EXPECT_EQ(stored("Rate"), "44100");
    EXPECT_EQ(stored("Channels"), "1");
    const QStringList left = takes();
    ASSERT_EQ(left.size(), 1);
    const QByteArray wave = wavHeader(1, 44100, 16, quint32(second)) + knownTakeBytes(0, second);
    EXPECT_EQ(fileBytes(first.platform.takeFolder + u'/' + left[0]), wave);

    FakePlatform next;
    next.platform.takeFolder = first.platform.takeFolder;
    AppWindows windows(next.platform);
    const QString rescued = next.dir.path() + "/rescued.wav";
    windows.askLeftTakePath = [&rescued](QWidget*) {
        return rescued;
    };
    next.boxes().answerNext(MsgResult::Yes);
    ASSERT_TRUE(windows.loadMainWindow());
    EXPECT_TRUE(next.boxes().shown().empty()); // asked from the event loop, once the window shows
    QCoreApplication::processEvents();
    ASSERT_EQ(next.boxes().shown().size(), 1);
    EXPECT_TRUE(next.boxes().shown()[0].text.startsWith(
        "A recording from a session that ended unexpectedly was found: 1.0 s, recorded on "));
    EXPECT_EQ(fileBytes(rescued), wave);
    EXPECT_TRUE(takes().isEmpty());
}

// A signal or the main window's close while the main window's load has a box up (at a start
// with no sound server there is no mixer to open) ends the program there, before its event loop
// runs, where a quit does nothing: the load gives no window to show and run, and nothing of it
// stays loaded.
TEST(AppWindows, ASignalOrACloseWhileTheMainWindowLoadsEndsTheProgramThere)
{
    for (const bool bySignal : { true, false }) {
        SCOPED_TRACE(bySignal ? "a signal" : "the main window's close");
        FakePlatform fake;
        fake.mixer().failOpen = true;
        AppWindows windows(fake.platform);
        bool received = false;
        const EndSignals endSignals([&windows, &received](int) {
            received = true;
            windows.endWithoutAsking();
        });
        fake.boxes().duringNextBox([&received, bySignal] {
            if (!bySignal) {
                frmMtroNew::instance().close();
                return;
            }
            ::kill(::getpid(), SIGTERM);
            QElapsedTimer waited;
            waited.start();
            while (!received && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        });
        EXPECT_EQ(windows.loadMainWindow(), nullptr);
        EXPECT_EQ(received, bySignal);
        ASSERT_GE(fake.boxes().shown().size(), 1u);
        EXPECT_EQ(fake.boxes().shown()[0].text, "Couldn't open the mixer.");
        EXPECT_FALSE(frmMtroNew::isLoaded());
        EXPECT_FALSE(frmCD::isLoaded());
    }
}

// A signal while the next start's question is up ends the program there. The program's end
// closes the box, which gives its No, but nobody chose it: the take stays for the start after.
TEST(AppWindows, ASignalWhileATakeIsOfferedEndsTheProgramAndKeepsTheTake)
{
    FakePlatform fake;
    ASSERT_TRUE(QDir().mkpath(fake.platform.takeFolder));
    const QString take = fake.platform.takeFolder + "/take-1-abcdef.wav";
    const QByteArray wave = wavFileBytes(1, 44100, 16, knownTakeBytes(0, 88200));
    ASSERT_TRUE(writeFileBytes(take, wave));
    AppWindows windows(fake.platform);
    const EndSignals endSignals([&windows](int) {
        windows.endWithoutAsking();
    });
    fake.boxes().duringNextBox([] {
        ::kill(::getpid(), SIGTERM);
        QElapsedTimer waited;
        waited.start();
        while (frmMtroNew::instance().isVisible() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    });
    fake.boxes().answerNext(MsgResult::No);
    ASSERT_TRUE(windows.loadMainWindow());
    frmMtroNew::instance().show();
    QTimer stuck;
    QObject::connect(&stuck, &QTimer::timeout, [] {
        QCoreApplication::exit(1);
    });
    stuck.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    ASSERT_EQ(fake.boxes().shown().size(), 1);
    EXPECT_TRUE(fake.boxes().shown()[0].text.startsWith("A recording from a session"));
    EXPECT_EQ(fileBytes(take), wave);
}
