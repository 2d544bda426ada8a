#include "app/Main.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QWidget>

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kadentor"));
    const auto platform = makeRealPlatform();

    // The skin's size: the main window comes with its own issue.
    QWidget window;
    window.setWindowTitle(QStringLiteral("Kadentor"));
    window.setFixedSize(236, 423);
    window.show();
    return QApplication::exec();
}
