// From the click on the main window's close button to the end of the program's process, in each
// state that could hold the exit up: something sounding (the metronome, the 440 Hz tone, a
// reference note or an example as a MIDI file, a piano note), a recording, the SoundFont still
// loading, the media engine playing, the close button's tip on screen, and a long session (the
// piano and the recorder opened a hundred times each, then a groove and a scale playing while a
// take is recorded and saved). Goal: 300 ms in every state.
//
// Each run is a child process that builds the program as main() does, on the real services
// (SDL's disk driver in place of a sound card, a private settings folder), brings it into the
// state through its menus and controls, notes the time and clicks Close; the parent takes the
// time at which the child has ended. A box the exit asks (an unsaved take) is answered at once,
// and the time runs from the answer.
//
// The parent reaps the child the moment it ends, as a desktop's launcher does. A probe that
// starts the program from a shell that then goes away, and waits for its process id to vanish,
// measures more: the ended program stays a zombie until whatever adopted it reaps it, which on
// some machines (an init that reaps on a timer) takes well over a second whatever the program
// did. Such a probe tells the end by the process's state turning to Z in /proc/PID/stat.
//
// exit_bench [--runs N] [--state NAME]   (default 5 runs of every state)

#include "app/AppWindows.h"
#include "app/Skin.h"
#include "app/frmFlam.h"
#include "app/frmMtroNew.h"
#include "piano/ChoiceBox.h"
#include "piano/ChordScalePanels.h"
#include "piano/frmMidiPiano.h"
#include "platform/Platform.h"
#include "players/clsMusic.h"
#include "recorder/frmRec.h"

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// What a child has running when Close is clicked.
struct Running
{
    AppWindows& windows;
    frmMtroNew& window;
    Platform& platform;
    std::unique_ptr<clsMusic> music;
};

struct State
{
    const char* name;
    // How long the state settles before Close: the SoundFont's load ends meanwhile, but for the
    // state that closes while it loads.
    int settleMs;
    std::function<void(Running&)> enter;
};

void menuEntry(const char* name, int index = MenuEntry::kNoIndex)
{
    frmFlam::instance().menus().entry(QString::fromLatin1(name), index)->action()->trigger();
}

QPoint closeButton()
{
    return skinPlace("GGCommand7").center();
}

// A click at `at` in `widget`, sent to the top-level window under the mouse (an open list's popup
// while there is one), as the window system delivers it.
void clickAt(QWidget* widget, QPoint at)
{
    QWidget* top =
        QApplication::activePopupWidget() ? QApplication::activePopupWidget() : widget->window();
    const QPoint inTop = top->mapFromGlobal(widget->mapToGlobal(at));
    QTest::mouseMove(top->windowHandle(), inTop);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, inTop);
}

// Places on the piano window.
constexpr QPoint kRhythmButton(690, 54);
constexpr QPoint kScalesButton(721, 137);
constexpr QPoint kScaleReplay(141, 113);

// A long session, shortened where time alone changes nothing (a take of twenty-five minutes,
// saved, changed the exit by less than its spread from run to run): a hundred openings of the
// piano, each with a note, and of the recorder; then, with the piano's "Rock" groove and the
// "Major" scale playing over and over, a take recorded for some seconds and saved. Close comes
// with both windows open and the groove and the scale still playing.
void longSession(Running&)
{
    constexpr int kOpenings = 100;
    constexpr int kTakeMs = 5000;
    constexpr int kScaleEveryMs = 1500;
    for (int i = 0; i < kOpenings; ++i) {
        menuEntry("mnuPiano");
        QTest::keyClick(&frmMidiPiano::instance(), Qt::Key_Q);
        QTest::keyClick(&frmMidiPiano::instance(), Qt::Key_Escape);
        menuEntry("mnurec");
        frmRec::instance().Command1->click();
        // Both windows are destroyed once the handlers that closed them have returned.
        QApplication::processEvents();
    }
    menuEntry("mnuPiano");
    frmMidiPiano& piano = frmMidiPiano::instance();
    clickAt(&piano, kRhythmButton);
    if (auto* styles = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        clickAt(styles, styles->actionGeometry(styles->actions().value(0)).center()); // "Rock"
    clickAt(&piano, kScalesButton);
    QComboBox* scales = piano.panels().C2();
    clickAt(scales, { scales->width() - 6, scales->height() / 2 });
    QAbstractItemView* list = scales->view();
    clickAt(list->viewport(), list->visualRect(list->model()->index(0, 0)).center());

    menuEntry("mnurec");
    frmRec& recorder = frmRec::instance();
    recorder.cmdRecord->click();
    for (int waited = 0; waited < kTakeMs; waited += kScaleEveryMs) {
        QTest::qWait(kScaleEveryMs);
        clickAt(&frmMidiPiano::instance(), kScaleReplay);
    }
    recorder.cmdStop->click();
    recorder.askSavePath = [](QWidget*) {
        return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/take.wav");
    };
    recorder.cmdSave->click();
    // A state not reached would time some other exit.
    constexpr qint64 kWaveHeaderBytes = 44;
    if (QFileInfo(recorder.SavedFileName).size() <= kWaveHeaderBytes || !piano.beat().running()
        || !piano.panels().scales().running())
        std::fprintf(stderr, "long session: no take saved, or the groove or the scale stopped\n");
}

const std::vector<State>& states()
{
    static const std::vector<State> all {
        { "idle", 1500, [](Running&) {} },
        { "SoundFont loading", 0, [](Running&) {} },
        { "metronome playing", 1500,
            [](Running& r) {
                r.window.setDialValue(40 / 1440.0);
            } },
        { "440 Hz tone", 1500,
            [](Running&) {
                menuEntry("mnupitch", 0);
            } },
        { "reference note (MIDI file)", 1500,
            [](Running&) {
                menuEntry("mnupitch", 8);
            } },
        { "polyrhythm example", 1500,
            [](Running&) {
                menuEntry("mnupoly", 2);
            } },
        { "piano note held", 1500,
            [](Running&) {
                menuEntry("mnuPiano");
                QTest::keyPress(&frmMidiPiano::instance(), Qt::Key_Q);
            } },
        { "recording", 1500,
            [](Running&) {
                menuEntry("mnurec");
                frmRec::instance().cmdRecord->click();
            } },
        { "media engine playing", 1500,
            [](Running& r) {
                r.music = std::make_unique<clsMusic>(r.platform);
                r.music->setFileName(r.platform.programFolder + QStringLiteral("/440.wav"));
                r.music->Play();
            } },
        { "tip on screen", 1500,
            [](Running& r) {
                // The pointer rests on Close until its tip shows.
                QTest::mouseMove(r.window.windowHandle(), closeButton());
            } },
        { "long session", 1500, longSession },
    };
    return all;
}

void writeTime(int fd)
{
    const auto now = Clock::now().time_since_epoch().count();
    if (write(fd, &now, sizeof now) != sizeof now)
        std::_Exit(3);
}

// Answers every box at once with its refusing button: those of a machine without a mixer at
// start-up, and the one the exit asks ("Save current recording?"), from whose answer the exit's
// time then runs.
void answerBoxes(int fd, const bool& closing)
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QAbstractButton* no = box->button(QMessageBox::No);
        if (closing)
            writeTime(fd);
        (no ? no : box->buttons().value(0))->click();
    }
    QTimer::singleShot(5, [fd, &closing] {
        answerBoxes(fd, closing);
    });
}

// The program as main() builds it, brought into `state`, then closed with the Close button.
int runProgram(const State& state, const char* programFolder, int fd)
{
    int argc = 1;
    char name[] = "kadentor";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadentor"));
    std::setlocale(LC_NUMERIC, "C");
    bool closing = false;
    answerBoxes(fd, closing);
    const auto platform = makeRealPlatform();
    platform->programFolder = QString::fromLocal8Bit(programFolder);
    AppWindows windows(*platform);
    frmMtroNew* window = windows.loadMainWindow();
    if (!window)
        return 2;
    window->show();
    window->focusPicture1();
    Running running { windows, *window, *platform, nullptr };
    QTimer::singleShot(0, [&] {
        state.enter(running);
        QTimer::singleShot(state.settleMs, [&] {
            QWindow* handle = window->windowHandle();
            closing = true;
            writeTime(fd);
            QTest::mouseMove(handle, closeButton());
            QTest::mousePress(handle, Qt::LeftButton, {}, closeButton());
            QTest::mouseRelease(handle, Qt::LeftButton, {}, closeButton());
        });
    });
    return QApplication::exec();
}

struct Run
{
    double ms = 0;
    bool clean = false;
};

Run runOnce(const State& state, const char* programFolder)
{
    char folder[] = "/tmp/exit_bench.XXXXXX";
    if (!mkdtemp(folder))
        return {};
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        setenv("XDG_CONFIG_HOME", folder, 1);
        setenv("XDG_DATA_HOME", folder, 1);
        setenv("XDG_RUNTIME_DIR", folder, 1); // the one-instance lock
        std::exit(runProgram(state, programFolder, fds[1]));
    }
    close(fds[1]);
    Clock::rep closedAt = 0;
    Clock::rep time = 0;
    while (read(fds[0], &time, sizeof time) == sizeof time)
        closedAt = time;
    int status = 0;
    waitpid(child, &status, 0);
    const Clock::rep endedAt = Clock::now().time_since_epoch().count();
    close(fds[0]);
    const std::string remove = std::string("rm -rf ") + folder;
    if (std::system(remove.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder);
    Run run;
    run.clean = closedAt != 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.clean) {
        std::fprintf(stderr, "%s: %s %d%s\n", state.name,
            WIFEXITED(status) ? "exit status" : "signal",
            WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status),
            closedAt == 0 ? ", never closed" : "");
    }
    run.ms = std::chrono::duration<double, std::milli>(Clock::duration(endedAt - closedAt)).count();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    std::string only;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--state") == 0)
            only = argv[i + 1];
    }
    // The program's own folder holds the reference notes, the examples and 440.wav.
    const char* programFolder = KADENTOR_PROGRAM_DIR;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIOFILEIN", "/dev/zero", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    constexpr double kGoalMs = 300;
    bool allMet = true;
    std::printf("%-28s %8s %8s %8s  (close clicked to process gone, ms; goal %.0f)\n", "state",
        "median", "max", "clean", kGoalMs);
    for (const State& state : states()) {
        if (!only.empty() && only != state.name)
            continue;
        std::vector<double> times;
        int clean = 0;
        for (int i = 0; i < runs; ++i) {
            const Run run = runOnce(state, programFolder);
            times.push_back(run.ms);
            clean += run.clean ? 1 : 0;
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        const double worst = times.back();
        const bool met = worst <= kGoalMs && clean == runs;
        allMet = allMet && met;
        std::printf("%-28s %8.1f %8.1f %5d/%-2d %s\n", state.name, median, worst, clean, runs,
            met ? "" : "  <- over the goal or not clean");
        std::fflush(stdout);
    }
    return allMet ? 0 : 1;
}
