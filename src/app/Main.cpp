#include "app/Main.h"

#include "app/SoundOutputNotice.h"
#include "app/frmMtroNew.h"
#include "platform/Platform.h"

#include <QApplication>

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadentor"));
    const auto platform = makeRealPlatform();

    frmMtroNew* window = frmMtroNew::load(*platform);
    if (!window)
        return 0;
    window->show();
    window->focusPicture1();
    SoundOutputNotice notice(*platform);
    notice.start();
    const int status = QApplication::exec();
    // The windows go before the platform whose services they use.
    frmMtroNew::unload();
    return status;
}
