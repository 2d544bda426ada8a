#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a shutdown or a logout, Ctrl+C in a terminal, a terminal closed)
// as a call on the UI thread, so that the program ends as its close does instead of at once. The
// handler only writes the signal's number into a pipe (write(2) is safe in a handler; nothing
// else the program does is), which a socket notifier reads on the UI thread. Each signal is
// caught once: a second one of the same kind ends the program at once, as if none had been
// caught, so that a program whose UI thread hangs still ends. A signal ignored when the object
// is made (nohup) stays ignored. No pipe, no catching: the signals keep what they did.
//
// One object at a time, made, used and destroyed on the UI thread (with a Qt event loop); the
// signals' handlers before it come back when it goes.
class EndSignals
{
public:
    // `received` gets each caught signal's number, on the UI thread.
    explicit EndSignals(std::function<void(int signal)> received);
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    void readSignals();

    std::function<void(int)> m_received;
    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
