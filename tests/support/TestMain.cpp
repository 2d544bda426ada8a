#include <clocale>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// Qt keeps the buttons a test pressed and never released, and hands them to the next test's
// mouse events: release them between tests so each test starts with the mouse at rest.
class ReleaseHeldButtons : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        const Qt::MouseButtons held = QGuiApplication::mouseButtons();
        if (held == Qt::NoButton)
            return;
        QWindow sink;
        sink.resize(1, 1);
        for (const Qt::MouseButton button : { Qt::LeftButton, Qt::RightButton, Qt::MiddleButton }) {
            if (held & button)
                QTest::mouseRelease(&sink, button);
        }
    }
};

// Leaves the event loop as a test found it. Calls the test queued for later and never reached (a
// window that unloads itself once its handler has returned) run now, so that none reaches the
// next test's windows. A test that ended the program's event loop leaves Qt's "quit now" set, and
// every event loop after it (a wait for a sound to play) would return at once: a turn of the
// application's own loop clears it.
class SettleTheEventLoop : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QCoreApplication::sendPostedEvents();
        QTimer::singleShot(0, [] {
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
    }
};

} // namespace

int main(int argc, char** argv)
{
    // Tests never need a display; an explicit platform from the environment still wins.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // As the program does at start-up: the media engine needs "." as the decimal sign.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ReleaseHeldButtons);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SettleTheEventLoop);
    return RUN_ALL_TESTS();
}
