#include "app/Main.h"

#include "app/AppWindows.h"
#include "app/SoundOutputNotice.h"
#include "app/frmMtroNew.h"
#include "platform/Platform.h"
#include "platform/shell/EndSignals.h"

#include <clocale>

#include <QApplication>

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadentor"));
    // The media engine needs "." as the decimal sign, and the application has just set the
    // user's locale; set once here, before any other thread runs, since the process locale is
    // not safe to change while other threads read it.
    std::setlocale(LC_NUMERIC, "C");
    const auto platform = makeRealPlatform();
    // Declared after the platform, so that the windows go before the services they use.
    AppWindows windows(*platform);
    // A shutdown, a logout or Ctrl+C ends the program as its close does, asking nothing.
    const EndSignals endSignals([&windows](int) {
        windows.endWithoutAsking();
    });

    frmMtroNew* window = windows.loadMainWindow();
    if (!window)
        return 0;
    window->show();
    window->focusPicture1();
    SoundOutputNotice notice(*platform);
    notice.start();
    return QApplication::exec();
}
