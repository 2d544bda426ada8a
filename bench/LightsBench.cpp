// The beat lights' cost in the main window itself: the program's windows on the fake platform
// (no sound server, so only the window's own work is counted) with the device paced by the wall
// clock, the lights moved by the engine form's real wake-ups. A typed tempo of 120 plays for S
// seconds, then 2000 in sixteenths (133 steps a second) for S seconds, both in this one process.
// Per tempo it prints the UI thread's CPU (its share of one core; the pacing device renders on
// its own thread and is counted only in the process's figure), the lights' repaints a second
// (paint events of the three lights that drew, and the area the window repainted for them) and
// anything else the window repainted, and last the ratio of the two tempos' figures. The goal, the
// program's CPU at 2000 in sixteenths at most twice that at 120, is the whole program's on a
// sound server, whose output thread costs more than the paced device here: measure it there.
//
// With DISPLAY set it paints on that X server (run it under its own Xvfb to count the X11
// painting and flushing that offscreen painting leaves out); otherwise offscreen.
//
//   lights_bench [--seconds S]   (S: 30)

#include "app/AppWindows.h"
#include "app/Metronome.h"
#include "app/frmMtroNew.h"
#include "platform/FakePlatform.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "windows/OtherWindows.h"
#include "windows/PlayerWindow.h"

#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QEventLoop>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

namespace {

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The player and the windows the main window opens: nothing of theirs is measured.
struct QuietWindows : PlayerWindow, OtherWindows
{
    void stani2() override {}

    void stani() override {}

    void setTxtmidi(const QString&) override {}

    void svirajmidi() override {}

    void sviraj() override {}

    void DajJako(std::int32_t) override {}

    void showPiano() override {}

    void showRecorder() override {}

    void showMp3Modal() override {}

    void showFrmpolyModal() override {}

    void showFrmPaternModal() override {}

    void showFrmMSoundModal() override {}

    void showFrmfrekvencijeModal() override {}

    void showHelp() override {}

    void showAboutModal() override {}

    bool queryQuit() override { return true; }
};

// Counts the paint events of the main window's controls and the area they cover.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget& window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }

    ~PaintCounter() override { qApp->removeEventFilter(this); }

    void reset()
    {
        lightPaints = 0;
        otherPaints = 0;
        area = 0;
    }

    long lightPaints = 0; // paint events of the three lights
    long otherPaints = 0; // of any control but the lights and the skin under them
    long long area = 0; // pixels of the skin repainted: everything repainted lies on it

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint || !widget || widget->window() != &m_window)
            return false;
        const QString name = widget->objectName();
        const QRegion region = static_cast<QPaintEvent*>(event)->region();
        if (name == u"Picture1") {
            for (const QRect& r : region)
                area += static_cast<long long>(r.width()) * r.height();
        } else if (name == u"Image5" || name == u"imz" || name == u"Image4") {
            ++lightPaints;
        } else if (widget != &m_window) {
            ++otherPaints;
        }
        return false;
    }

private:
    QWidget& m_window;
};

struct Figures
{
    double processCpu = 0;
    double uiCpu = 0;
    double lightPaints = 0;
    double area = 0;
    double otherPaints = 0;
};

Figures play(PaintCounter& paints, int seconds)
{
    paints.reset();
    const double process = cpuSeconds(RUSAGE_SELF);
    const double ui = cpuSeconds(RUSAGE_THREAD);
    const auto start = std::chrono::steady_clock::now();
    // A loop of its own: the application's quit() would close the main window.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return { 100 * (cpuSeconds(RUSAGE_SELF) - process) / wall,
        100 * (cpuSeconds(RUSAGE_THREAD) - ui) / wall,
        static_cast<double>(paints.lightPaints) / wall, static_cast<double>(paints.area) / wall,
        static_cast<double>(paints.otherPaints) / wall };
}

void print(const char* what, const Figures& f)
{
    std::printf("%-18s %9.2f %9.2f %12.1f %14.0f %12.1f\n", what, f.processCpu, f.uiCpu,
        f.lightPaints, f.area, f.otherPaints);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 30;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--seconds")
            seconds = args[i + 1].toInt();
    }

    FakePlatform fake;
    QuietWindows windows;
    frmMtroNew* window = AppWindows::loadMainWindow(fake.platform, windows, windows);
    if (!window) {
        std::printf("the main window did not load\n");
        return 1;
    }
    window->show();
    fake.audioDevice().setCapture(false);
    fake.audioDevice().startPaced();
    const auto click = [window](const char* name) {
        auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
    };
    PaintCounter paints(*window);

    std::printf("%s, %d s a tempo\n",
        QGuiApplication::platformName() == u"xcb" ? "on the X server" : "offscreen", seconds);
    std::printf("%-18s %9s %9s %12s %14s %12s\n", "tempo", "process %", "UI %", "light paints/s",
        "repainted px/s", "other paints/s");
    fake.boxes().answerInputNext(QStringLiteral("120"));
    click("Text2");
    const Figures slow = play(paints, seconds);
    print("120", slow);

    fake.boxes().answerInputNext(QStringLiteral("2000"));
    click("Text2");
    click("Image12");
    const Figures fast = play(paints, seconds);
    print("2000 x 1/16", fast);
    std::printf("ratio 2000 x 1/16 to 120: process %.2f, UI thread %.2f\n",
        fast.processCpu / slow.processCpu, fast.uiCpu / slow.uiCpu);

    fake.audioDevice().stopPaced();
    frmMtroNew::unload();
    return 0;
}
