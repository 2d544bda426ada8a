#include "platform/shell/EndSignals.h"

#include <csignal>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

int g_before = 0;

extern "C" void countBefore(int)
{
    ++g_before;
}

void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void (*handlerOf(int signal))(int)
{
    struct sigaction now = {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

} // namespace

// Each ending signal, sent to the process (any of its threads may take it), reaches the UI thread
// as a call once the event loop turns, and is caught once: the next one of its kind would end the
// program as it did before. The handlers before come back when the object goes, and a signal
// ignored before (nohup) stays ignored.
TEST(EndSignals, eachEndingSignalReachesTheUiThreadOnceAndWhatWasBeforeComesBack)
{
    for (const int signal : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(signal);
        setHandler(signal, countBefore);
        g_before = 0;
        std::vector<int> received;
        bool onUiThread = false;
        {
            const EndSignals catching([&](int number) {
                received.push_back(number);
                onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            });
            ::kill(::getpid(), signal);
            QElapsedTimer waited;
            waited.start();
            while (received.empty() && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            EXPECT_EQ(received, std::vector<int> { signal });
            EXPECT_TRUE(onUiThread);
            EXPECT_EQ(g_before, 0);
            EXPECT_EQ(handlerOf(signal), SIG_DFL);
        }
        EXPECT_EQ(handlerOf(signal), &countBefore);
        ::raise(signal);
        EXPECT_EQ(g_before, 1);

        setHandler(signal, SIG_IGN);
        received.clear();
        {
            const EndSignals catching([&](int number) {
                received.push_back(number);
            });
            EXPECT_EQ(handlerOf(signal), SIG_IGN);
            ::raise(signal);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_TRUE(received.empty());
        setHandler(signal, SIG_DFL);
    }
}
